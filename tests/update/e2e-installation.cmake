# The installation the update tests share, in the build's Wine prefix:
# MODE=install removes what an earlier run left, then installs the release
# silently with the defaults, as an administrator's script does, into
# FOLDER (its default folder, under C:); MODE=uninstall removes it,
# uninstaller and folder included.
#
#   cmake -DMODE=install|uninstall -DWINE_RUN=... -DBUILD_DIR=... [-DSETUP=...]
#         "-DFOLDER=Program Files/Name" -DEXE=Id.exe -P e2e-installation.cmake
if(DEFINED ENV{WINEPREFIX})
    set(prefix "$ENV{WINEPREFIX}")
else()
    set(prefix "${BUILD_DIR}/wineprefix")
endif()
set(folder "${prefix}/drive_c/${FOLDER}")

function(wine expected)
    execute_process(COMMAND "${WINE_RUN}" ${ARGN} RESULT_VARIABLE status)
    if(NOT status STREQUAL expected)
        message(FATAL_ERROR "${ARGN}: exit status ${status}, not ${expected}")
    endif()
endfunction()

# A game a failed run left running would stop the uninstaller.
set(ENV{WINEPREFIX} "${prefix}")
execute_process(COMMAND "${WINE_RUN}" taskkill /f /im "${EXE}" OUTPUT_QUIET ERROR_QUIET)
# The uninstaller hands its work to a copy of itself and returns; the copy
# removes it last. (Told the folder with _?=, it would do the work itself,
# but the folder's space makes Wine quote the argument, which the
# uninstaller then does not read.)
if(EXISTS "${folder}/uninstall.exe")
    wine(0 "${folder}/uninstall.exe" /S)
    foreach(try RANGE 600)
        if(NOT EXISTS "${folder}/uninstall.exe")
            break()
        endif()
        execute_process(COMMAND sleep 0.1)
    endforeach()
    if(EXISTS "${folder}/uninstall.exe")
        message(FATAL_ERROR "the uninstaller did not end within a minute in ${folder}")
    endif()
endif()
file(REMOVE_RECURSE "${folder}")
if(MODE STREQUAL "install")
    wine(0 "${SETUP}" /S)
    if(NOT EXISTS "${folder}/uninstall.exe")
        message(FATAL_ERROR "${SETUP} installed nothing into ${folder}")
    endif()
endif()

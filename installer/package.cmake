# Makes a release of the client with one skin: a zip and an installer.
#
#   cmake -DSKIN_DIR=... -DCLIENT=.../client.exe -DVERSION=1.0.0.1
#         -DPRODUCT_KEY=GameClient -DSTAGE_DIR=... -DOUTPUT_DIR=...
#         -P installer/package.cmake
#
# A skin is its config.xml and data\ folder; anything else in SKIN_DIR (the
# demo's sample pages, for one) is left out. Both the zip and the installer
# carry the client, config.xml and data\ and nothing else, named
# <stem>-<x.y.z>.zip and <stem>-<x.y.z>-setup.exe in OUTPUT_DIR.

foreach(arg SKIN_DIR CLIENT VERSION PRODUCT_KEY STAGE_DIR OUTPUT_DIR)
    if(NOT DEFINED ${arg})
        message(FATAL_ERROR "package.cmake needs -D${arg}=...")
    endif()
endforeach()
foreach(part config.xml data)
    if(NOT EXISTS "${SKIN_DIR}/${part}")
        message(FATAL_ERROR "${SKIN_DIR} is not a skin: it has no ${part}")
    endif()
endforeach()

# The product's name is the one the executable's version information shows.
file(STRINGS "${CMAKE_CURRENT_LIST_DIR}/../resources/client.rc" product_line
     REGEX "VALUE \"ProductName\"")
if(NOT product_line MATCHES "VALUE \"ProductName\", \"([^\"]+)\"")
    message(FATAL_ERROR "No ProductName in resources/client.rc")
endif()
set(product_name "${CMAKE_MATCH_1}")
# File names: the product's name in lower case with hyphens ("game-client").
string(TOLOWER "${product_name}" stem)
string(REGEX REPLACE "[^a-z0-9]+" "-" stem "${stem}")
string(REGEX REPLACE "^-|-$" "" stem "${stem}")
string(REGEX MATCH "^[0-9]+\\.[0-9]+\\.[0-9]+" release_version "${VERSION}")

# makensis and the zip writer convert the skin's (possibly Chinese) file names
# from the locale's character set: without UTF-8 they fail.
set(ENV{LC_ALL} C.UTF-8)

file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${STAGE_DIR}")
file(COPY "${CLIENT}" "${SKIN_DIR}/config.xml" "${SKIN_DIR}/data" DESTINATION "${STAGE_DIR}")
# A ";" in a name would split it in two in CMake's lists; Windows allows it,
# but the names below would no longer be the files'.
file(GLOB_RECURSE split_names RELATIVE "${STAGE_DIR}" "${STAGE_DIR}/*[;]*")
if(split_names)
    message(FATAL_ERROR "The skin's file name \"${split_names}\" cannot be installed: it holds \";\"")
endif()
file(GLOB_RECURSE files RELATIVE "${STAGE_DIR}" "${STAGE_DIR}/*")
list(SORT files)

# The lists of what the installer puts in place and its uninstaller removes,
# folder by folder; folders go deepest first, and only when empty.
set(install "!macro ClientInstallFiles\n")
set(remove "!macro ClientRemoveFiles\n")
set(folders "")
set(folder "-")
foreach(file IN LISTS files)
    # Names Windows refuses, or that NSIS would read as its variables.
    if(file MATCHES "[<>:\"\\\\|?*$]")
        message(FATAL_ERROR "The skin's file name \"${file}\" cannot be installed")
    endif()
    get_filename_component(dir "${file}" DIRECTORY)
    string(REPLACE "/" "\\" windows_file "${file}")
    string(REPLACE "/" "\\" windows_dir "${dir}")
    if(NOT dir STREQUAL folder)
        set(folder "${dir}")
        if(dir STREQUAL "")
            string(APPEND install "    SetOutPath \"$INSTDIR\"\n")
        else()
            string(APPEND install "    SetOutPath \"$INSTDIR\\${windows_dir}\"\n")
            while(NOT dir STREQUAL "")
                list(APPEND folders "${dir}")
                get_filename_component(dir "${dir}" DIRECTORY)
            endwhile()
        endif()
    endif()
    string(APPEND install "    File \"${STAGE_DIR}/${file}\"\n")
    string(APPEND remove "    Delete \"$INSTDIR\\${windows_file}\"\n")
endforeach()
list(REMOVE_DUPLICATES folders)
list(SORT folders)
list(REVERSE folders)
foreach(dir IN LISTS folders)
    string(REPLACE "/" "\\" windows_dir "${dir}")
    string(APPEND remove "    RMDir \"$INSTDIR\\${windows_dir}\"\n")
endforeach()
set(files_nsh "${STAGE_DIR}-files.nsh")
file(WRITE "${files_nsh}" "${install}!macroend\n${remove}!macroend\n")

set(zip "${OUTPUT_DIR}/${stem}-${release_version}.zip")
set(setup "${OUTPUT_DIR}/${stem}-${release_version}-setup.exe")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
# No stale release is left looking like a new one when a step fails.
file(REMOVE "${zip}" "${setup}")

# The files at the zip's top level: Windows extracts into a folder named
# after the zip.
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${zip}" --format=zip -- ${files}
                WORKING_DIRECTORY "${STAGE_DIR}" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "Making ${zip} failed")
endif()

find_program(MAKENSIS makensis)
if(NOT MAKENSIS)
    message(FATAL_ERROR "makensis not found: scripts/setup installs it (Debian package nsis)")
endif()
execute_process(
    COMMAND "${MAKENSIS}" -V2 -WX -INPUTCHARSET UTF8
            "-DPRODUCT_NAME=${product_name}" "-DPRODUCT_KEY=${PRODUCT_KEY}"
            "-DVERSION=${VERSION}" "-DRELEASE_VERSION=${release_version}"
            "-DICON=${CMAKE_CURRENT_LIST_DIR}/../resources/client.ico"
            "-DFILES=${files_nsh}" "-DOUTFILE=${setup}"
            "${CMAKE_CURRENT_LIST_DIR}/client.nsi"
    RESULT_VARIABLE failed)
if(failed)
    file(REMOVE "${setup}")
    message(FATAL_ERROR "makensis failed")
endif()

message(STATUS "Release ${release_version} with the skin in ${SKIN_DIR}:\n   ${zip}\n   ${setup}")

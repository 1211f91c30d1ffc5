# The signed release's programs carry signatures that verify against the
# test's certificate authority: the client in the zip, the installer, the
# uninstaller it installs, and the kit's tools.
#   cmake -DBRANDED_DIR=... -DSUFFIX=... -P verify-signatures.cmake
set(releases "${BRANDED_DIR}/releases")
set(work "${BRANDED_DIR}/verify")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/zip" "${work}/kit")

function(verify file)
    execute_process(COMMAND osslsigncode verify -CAfile "${BRANDED_DIR}/certificates/ca.pem"
                            -in "${file}"
                    RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
    if(failed)
        message(FATAL_ERROR "${file} does not verify:\n${said}")
    endif()
endfunction()

function(wine)
    execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/../../cmake/wine-run" ${ARGN}
                    RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "${ARGN} failed")
    endif()
endfunction()

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${releases}/TestGame-1.0.0${SUFFIX}.zip"
                WORKING_DIRECTORY "${work}/zip")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${releases}/TestGame-1.0.0${SUFFIX}-skin-kit.zip"
                WORKING_DIRECTORY "${work}/kit")
foreach(file "${releases}/TestGame-1.0.0${SUFFIX}-setup.exe" "${work}/zip/TestGame.exe"
             "${work}/kit/preview.exe" "${work}/kit/skincheck.exe")
    verify("${file}")
endforeach()

# The uninstaller is made by the installer's compiler: installed, it is checked.
string(REPLACE "/" "\\" folder "Z:${work}/installed")
wine("${releases}/TestGame-1.0.0${SUFFIX}-setup.exe" /S "/D=${folder}")
verify("${work}/installed/uninstall.exe")
wine("${work}/installed/uninstall.exe" /S "_?=${folder}")

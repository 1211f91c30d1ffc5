# Releases that must not be made: each stops with a message that says why,
# and nothing is written where the release would go.
#   cmake -DSKIN_DIR=... -DBIN_DIR=... -DCERTIFICATES=... -DWORK_DIR=...
#         -P refused-releases.cmake
set(skin "${WORK_DIR}/skin")
set(out "${WORK_DIR}/out")
file(WRITE "${WORK_DIR}/wrong-password.txt" "not the password")

# refused(MESSAGE FILE CONTENT [ARGS...]): the skin with FILE written into it
# (none when FILE is "-") and ARGS given to the packaging stops with MESSAGE.
function(refused message file content)
    file(REMOVE_RECURSE "${skin}" "${out}")
    file(COPY "${SKIN_DIR}/config.xml" "${SKIN_DIR}/data" DESTINATION "${skin}")
    if(NOT file STREQUAL "-")
        file(WRITE "${skin}/${file}" "${content}")
    endif()
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -DSKIN_DIR=${skin} -DBIN_DIR=${BIN_DIR} -DVERSION=1.0.0.1
                -DPRODUCT_KEY=Test -DSTAGE_DIR=${WORK_DIR}/stage -DOUTPUT_DIR=${out} ${ARGN}
                -P "${CMAKE_CURRENT_LIST_DIR}/../../installer/package.cmake"
        RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
    string(REGEX REPLACE "\n *" " " error "${error}")
    if(NOT failed OR NOT error MATCHES "${message}")
        message(FATAL_ERROR "Expected \"${message}\", got:\n${error}")
    endif()
    file(GLOB made "${out}/*")
    if(made)
        message(FATAL_ERROR "\"${message}\": a release was made anyway: ${made}")
    endif()
endfunction()

refused("file name \"data/a;b.bmp\" cannot be installed" "data/a;b.bmp" "")
refused("file name \"data/a.b.bmp\" cannot be installed" "data/a|b.bmp" "")
refused("release.ini: id: \"my game\" must be ASCII letters" release.ini
        "name=n\npublisher=p\nid=my game\nversion=1.0.0\n")
refused("release.ini: version: \"1.x\" is not a version" release.ini
        "name=n\npublisher=p\nid=game\nversion=1.x\n")
refused("release.ini: publisher: holds .*, which the installer cannot carry" release.ini
        "name=n\npublisher=\${PRODUCT_NAME}\nid=game\nversion=1.0.0\n")
set(sign -DSIGN_PASSWORD_FILE=${CERTIFICATES}/password.txt)
refused("password is wrong" - "" -DSIGN_PFX=${CERTIFICATES}/code.pfx
        -DSIGN_PASSWORD_FILE=${WORK_DIR}/wrong-password.txt)
refused("has expired" - "" -DSIGN_PFX=${CERTIFICATES}/expired.pfx ${sign})
refused("not meant for code signing" - "" -DSIGN_PFX=${CERTIFICATES}/server.pfx ${sign})

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
    if(DEFINED skin_extras)
        file(COPY ${skin_extras} DESTINATION "${skin}")
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

# Update descriptions the client would refuse, or that nothing asked for.
set(keys "${WORK_DIR}/keys")
file(REMOVE_RECURSE "${keys}")
file(MAKE_DIRECTORY "${keys}")
foreach(name update other)
    execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/../../scripts/update-key" "${keys}/${name}.pem"
                    RESULT_VARIABLE failed OUTPUT_QUIET)
    if(failed)
        message(FATAL_ERROR "scripts/update-key failed")
    endif()
endforeach()
string(ASCII 7 bell)
file(WRITE "${keys}/bell.txt" "ding${bell}")
file(COPY_FILE "${CMAKE_CURRENT_LIST_DIR}/branded.ico" "${keys}/game.ico")
set(skin_extras "${keys}/update-public.pem" "${keys}/game.ico")
set(updating "name=n\npublisher=p\nid=game\nversion=1.2.0\nicon=game.ico\n"
    "update_url=https://a/u.json\nupdate_key=update-public.pem\n")
string(JOIN "" updating ${updating})
set(key -DUPDATE_KEY=${keys}/update.pem)
refused("not the private half of the skin's update-public.pem" release.ini "${updating}"
        -DUPDATE_KEY=${keys}/other.pem)
refused("needs update_url and update_key" release.ini
        "name=n\npublisher=p\nid=game\nversion=1.2.0\nicon=game.ico\n" ${key})
refused("roll-out \"101\" is not a percentage" release.ini "${updating}" ${key}
        -DUPDATE_ROLLOUT=101)
refused("minimum version 1.3.0 is above the release's own 1.2.0" release.ini "${updating}" ${key}
        -DUPDATE_MINIMUM_VERSION=1.3.0)
refused("notes .* hold a control character" release.ini "${updating}" ${key}
        -DUPDATE_NOTES=${keys}/bell.txt)
refused("go with an update key" release.ini "${updating}" -DUPDATE_ROLLOUT=50)
list(APPEND skin_extras "${keys}/update.pem")
refused("lies in the skin folder" release.ini "${updating}" -DUPDATE_KEY=${skin}/update.pem)

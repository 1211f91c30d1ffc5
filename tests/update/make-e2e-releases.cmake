# Two releases of one game with updates, made as an operator makes them
# (scripts/update-key, then the packaging with the private key): 1.0.0,
# which the tests install, and its update 1.1.0. Their update address names
# a port on 127.0.0.1 picked here, free when it was picked, where the tests'
# server listens; the address is written into the executables, so the port
# is fixed before the releases are made.
#
#   cmake -DROOT=... -DBIN_DIR=... -DSKIN_DIR=... -DWORK_DIR=... -P make-e2e-releases.cmake
#
# WORK_DIR receives port.txt, keys/, skin/, stage/, 1.0.0/ and 1.1.0/ (each
# release's installer, description and signature).
set(keys "${WORK_DIR}/keys")
set(skin "${WORK_DIR}/skin")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${keys}")

include("${CMAKE_CURRENT_LIST_DIR}/release-steps.cmake")

# Below the range the system hands out for outgoing connections, so that
# none of those takes it meanwhile.
execute_process(COMMAND python3 -c [=[
import random, socket
for _ in range(200):
    port = random.randrange(20000, 32000)
    with socket.socket() as s:
        try:
            s.bind(("127.0.0.1", port))
        except OSError:
            continue
    print(port)
    break
]=] OUTPUT_VARIABLE port OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
if(failed OR NOT port MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no free port for the update server: ${port}")
endif()
file(WRITE "${WORK_DIR}/port.txt" "${port}\n")

run("${ROOT}/scripts/update-key" "${keys}/update.pem")
file(COPY "${SKIN_DIR}/config.xml" "${SKIN_DIR}/data" "${keys}/update-public.pem"
     DESTINATION "${skin}")
file(COPY_FILE "${ROOT}/tests/installer/branded.ico" "${skin}/data/main.ico")
foreach(version 1.0.0 1.1.0)
    file(WRITE "${skin}/release.ini"
         "name=自动更新测试\npublisher=p\nid=AutoUpdateGame\nversion=${version}\n"
         "update_url=http://127.0.0.1:${port}/updates/AutoUpdateGame-update.json\n"
         "update_key=update-public.pem\n")
    run("${CMAKE_COMMAND}" -DSKIN_DIR=${skin} -DBIN_DIR=${BIN_DIR} -DVERSION=1.0.0.1
        -DPRODUCT_KEY=GameClient -DSTAGE_DIR=${WORK_DIR}/stage -DOUTPUT_DIR=${WORK_DIR}/${version}
        -DUPDATE_KEY=${keys}/update.pem -P "${ROOT}/installer/package.cmake")
endforeach()

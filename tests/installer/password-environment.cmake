# scripts/package keeps the certificate's password out of the environment of
# every program it starts, and hands it to the packaging in its file. Run on
# a copy of the script whose siblings (setup, build, skincheck) and cmake
# write down what they were given.
#   cmake -DROOT=... -DWORK_DIR=... -P password-environment.cmake
set(password "pass-1f3a9c-not-in-any-environment")
set(fake "${WORK_DIR}/root")
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${fake}/scripts" "${fake}/build/x86_64" "${WORK_DIR}/bin" "${WORK_DIR}/skin")
file(COPY "${ROOT}/scripts/package" DESTINATION "${fake}/scripts")
file(TOUCH "${fake}/build/x86_64/CMakeCache.txt" "${WORK_DIR}/code.pfx")
set(record "#!/bin/sh\nenv >\"${WORK_DIR}/env-$(basename \"$0\")-$$\"\n")
foreach(program scripts/setup scripts/build scripts/skincheck)
    file(WRITE "${fake}/${program}" "${record}")
endforeach()
# cmake: the packaging, which reads the password from its file.
file(WRITE "${WORK_DIR}/bin/cmake" "${record}"
     "for a; do case $a in -DSIGN_PASSWORD_FILE=*) cat \"\${a#*=}\" >\"${WORK_DIR}/handed\";; esac; done\n")
file(CHMOD "${fake}/scripts/setup" "${fake}/scripts/build" "${fake}/scripts/skincheck"
     "${WORK_DIR}/bin/cmake" FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

execute_process(COMMAND env "CLIENT_SIGN_PASSWORD=${password}" "PATH=${WORK_DIR}/bin:$ENV{PATH}"
                        "${fake}/scripts/package" --sign "${WORK_DIR}/code.pfx" "${WORK_DIR}/skin"
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE error)
if(failed)
    message(FATAL_ERROR "scripts/package failed: ${error}")
endif()
file(GLOB environments "${WORK_DIR}/env-*")
list(LENGTH environments count)
if(count LESS 4)
    message(FATAL_ERROR "Not every program was started: ${environments}")
endif()
foreach(environment IN LISTS environments)
    file(READ "${environment}" text)
    string(FIND "${text}" "${password}" at)
    if(at GREATER -1)
        message(FATAL_ERROR "The password is in the environment of ${environment}")
    endif()
endforeach()
file(READ "${WORK_DIR}/handed" handed)
if(NOT handed STREQUAL password)
    message(FATAL_ERROR "The packaging was handed \"${handed}\" as the password")
endif()

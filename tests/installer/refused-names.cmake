# A release of a skin whose file names Windows or the installer cannot take
# stops with a message naming the file, before anything is written:
#   cmake -DSKIN_DIR=... -DCLIENT=... -DWORK_DIR=... -P refused-names.cmake
foreach(name "a;b.bmp" "a|b.bmp")
    set(skin "${WORK_DIR}/skin")
    file(REMOVE_RECURSE "${WORK_DIR}")
    file(COPY "${SKIN_DIR}/config.xml" "${SKIN_DIR}/data" DESTINATION "${skin}")
    file(WRITE "${skin}/data/${name}" "")
    execute_process(
        COMMAND "${CMAKE_COMMAND}" -DSKIN_DIR=${skin} -DCLIENT=${CLIENT} -DVERSION=1.0.0.1
                -DPRODUCT_KEY=Test -DSTAGE_DIR=${WORK_DIR}/stage -DOUTPUT_DIR=${WORK_DIR}/out
                -P "${CMAKE_CURRENT_LIST_DIR}/../../installer/package.cmake"
        RESULT_VARIABLE failed ERROR_VARIABLE error)
    string(REPLACE "\n  " " " error "${error}")
    if(NOT failed OR NOT error MATCHES "file name \"data/a.b.bmp\" cannot be installed")
        message(FATAL_ERROR "\"${name}\" was not refused by name:\n${error}")
    endif()
    if(EXISTS "${WORK_DIR}/out")
        message(FATAL_ERROR "\"${name}\": a release was begun")
    endif()
endforeach()

# What the update tests' release scripts share (include()d by them).

# run(COMMAND [ARG...]): runs a step; a failure stops the script with what
# the step said.
function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE failed OUTPUT_VARIABLE said
                    ERROR_VARIABLE said)
    if(failed)
        message(FATAL_ERROR "${ARGN}:\n${said}")
    endif()
endfunction()

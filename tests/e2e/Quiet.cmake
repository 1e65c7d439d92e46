# The game says nothing in a normal run: a short session recorded by tibble-play is played by tibble itself,
# which must write nothing at all to stdout or stderr. Raising the log level (-log=debug, ZEST_LOG=info)
# brings the framework's lines and the exit statistics back.
set(demo ${OUT}/quiet.dmo)
file(REMOVE ${demo})
execute_process(COMMAND /usr/bin/env ${ENV} ${PLAY} --data ${DATA} --record ${demo} ${SCRIPT}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "tibble-play could not record the session (${code}):\n${out}${err}")
endif()

function(run_game)
    execute_process(COMMAND /usr/bin/env ${ENV} ${ARGN} ${GAME} -play -demofile=${demo} -changedir=${DATA}
                    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT code EQUAL 0)
        message(FATAL_ERROR "tibble ${ARGN} failed (${code}):\n${out}${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

run_game()
if(NOT "${out}${err}" STREQUAL "")
    message(FATAL_ERROR "a normal run printed something:\n--- stdout\n${out}--- stderr\n${err}")
endif()

run_game(ZEST_LOG=info)
if(NOT "${err}" MATCHES "playing demo" OR "${err}" MATCHES "Update Count" OR NOT "${out}" STREQUAL "")
    message(FATAL_ERROR "ZEST_LOG=info did not show the information lines (and only those, on stderr):\n${out}${err}")
endif()

execute_process(COMMAND /usr/bin/env ${ENV} ${GAME} -play -demofile=${demo} -changedir=${DATA} -log=debug
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT "${err}" MATCHES "debug: Update Count += [0-9]+" OR NOT "${out}" STREQUAL "")
    message(FATAL_ERROR "-log=debug did not show the exit statistics on stderr:\n${out}${err}")
endif()

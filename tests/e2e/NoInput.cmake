# Runs one level for 30 000 updates without any input through tibble-sim and fails when the honey bar reaches the
# exit threshold (THRESHOLD bar pixels) or the level is completed: no garden may be won by waiting.
set(script ${OUT}/no-input-${INDEX}.script)
file(WRITE ${script} "30000 end\n")
set(trace ${OUT}/no-input-${INDEX}.trace)
execute_process(COMMAND /usr/bin/env ${ENV} ${SIM} --data ${DATA} --level-index ${INDEX} ${MAP} ${script}
                RESULT_VARIABLE code OUTPUT_FILE ${trace} ERROR_VARIABLE err)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "tibble-sim failed (${code}): ${err}")
endif()
file(STRINGS ${trace} completed REGEX "^# completed")
if(completed)
    message(FATAL_ERROR "level index ${INDEX} completes without input: ${completed}")
endif()
# Trace lines: U X Y VX VY STATE NECTAR BARSHOWN CAMX CAMY. Nectar never drains, so the last bar is the highest.
file(STRINGS ${trace} lines REGEX "^[0-9]+ ")
list(GET lines -1 last)
string(REPLACE " " ";" fields "${last}")
list(GET fields 7 bar)
list(GET fields 0 updates)
if(bar GREATER_EQUAL THRESHOLD)
    message(FATAL_ERROR "level index ${INDEX}: the bar reaches ${bar} of ${THRESHOLD} without input")
endif()
message(STATUS "level index ${INDEX}: bar ${bar} of ${THRESHOLD} after ${updates} updates without input")

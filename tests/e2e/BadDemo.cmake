# Plays a spoilt copy of a recorded demo: KIND damaged (one byte changed in the middle) or truncated (cut in half, as
# a run that died leaves it). Passes with exit code 0, as the game does, when tibble-play refuses the damaged one
# with a message naming the fault, and plays the truncated one up to its last whole record after saying it was cut
# short.
file(SIZE ${DEMO} size)
math(EXPR half "${size} / 2")
set(bad ${OUT}/${KIND}.dmo)
file(READ ${DEMO} head LIMIT ${half} HEX)
file(READ ${DEMO} tail OFFSET ${half} HEX)
if(KIND STREQUAL "damaged")
    # The first byte of the second half, changed.
    string(SUBSTRING "${tail}" 0 2 byte)
    string(SUBSTRING "${tail}" 2 -1 rest)
    if(byte STREQUAL "00")
        set(byte "01")
    else()
        set(byte "00")
    endif()
    set(hex "${head}${byte}${rest}")
    set(wanted "damaged")
else()
    set(hex "${head}")
    set(wanted "cut short")
endif()
string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
# file(WRITE) cannot write raw bytes from hex; printf can.
execute_process(COMMAND printf "${escaped}" OUTPUT_FILE ${bad} RESULT_VARIABLE written)
if(NOT written EQUAL 0)
    message(FATAL_ERROR "cannot write ${bad}")
endif()
execute_process(COMMAND /usr/bin/env ${ENV} ${PLAY} --data ${DATA} --demo ${bad}
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT code EQUAL 0)
    message(FATAL_ERROR "exit code ${code}, wanted 0\n${out}${err}")
endif()
if(KIND STREQUAL "damaged")
    if(NOT "${out}${err}" MATCHES "The demo cannot be played: .*${wanted}")
        message(FATAL_ERROR "no clear message about the ${wanted} demo:\n${out}${err}")
    endif()
elseif(NOT "${out}${err}" MATCHES "The demo was cut short: .*plays up to update [1-9]" OR
       NOT "${out}${err}" MATCHES "demo played [1-9][0-9]* updates")
    message(FATAL_ERROR "the cut-short demo was not played after a clear message:\n${out}${err}")
endif()

# Runs tools/makeholidays.js and compares what it writes with the committed
# calendar/holiday_table.cpp. Skipped (by the "SKIPPED" line) where node or
# the chinese-days package is not installed.
if(NOT NODE OR NOT EXISTS "${MODULES}/chinese-days/package.json")
    message("SKIPPED: node or chinese-days in ${MODULES} is missing")
    return()
endif()
execute_process(COMMAND ${NODE} ${SOURCE}/tools/makeholidays.js ${MODULES}
    OUTPUT_VARIABLE generated RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "makeholidays.js failed: ${result}")
endif()
file(READ ${SOURCE}/calendar/holiday_table.cpp committed)
if(NOT generated STREQUAL committed)
    message(FATAL_ERROR "calendar/holiday_table.cpp is not what tools/makeholidays.js writes; regenerate it")
endif()

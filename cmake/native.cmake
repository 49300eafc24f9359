# Native build: the core, its unit tests and the core benchmarks.
find_package(PkgConfig REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
target_link_libraries(vemora_core PUBLIC PkgConfig::PCRE2)
target_compile_definitions(vemora_core PUBLIC PCRE2_CODE_UNIT_WIDTH=8)

option(VEMORA_SANITIZE "Build the native tests with address and undefined-behaviour sanitizers" ON)
if(VEMORA_SANITIZE)
    target_compile_options(vemora_core PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(vemora_core PUBLIC -fsanitize=address,undefined)
endif()

find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(vemora_unit ${VEMORA_UNIT_TEST_SOURCES})
target_link_libraries(vemora_unit PRIVATE vemora_core GTest::gtest_main)
target_compile_definitions(vemora_unit PRIVATE VEMORA_FIXTURES="${CMAKE_SOURCE_DIR}/tests/fixtures"
    VEMORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
gtest_discover_tests(vemora_unit DISCOVERY_TIMEOUT 60)

# The Chinese calendar's table is committed; this checks that it is still
# exactly what its generator writes.
add_executable(makelunar tools/makelunar.cpp)
add_test(NAME LunarTable.IsWhatMakelunarWrites
    COMMAND makelunar --check ${CMAKE_SOURCE_DIR}/calendar/lunar_table.cpp)

find_package(benchmark QUIET)
if(benchmark_FOUND)
    add_executable(vemora_bench bench/core_bench.cpp)
    target_link_libraries(vemora_bench PRIVATE vemora_core benchmark::benchmark_main)
endif()

# The include direction between the folders, and that the check catches what
# it must.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME layers COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/layers/check_layers.py ${CMAKE_SOURCE_DIR})
add_test(NAME layers.selftest COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tests/layers/check_layers.py --self-test)

# The horoscope's phrase table is committed; this checks that it is still
# exactly what its generator writes.
add_test(NAME HoroscopePhrases.AreWhatTheGeneratorWrites
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/makehoroscopephrases.py
        --check ${CMAKE_SOURCE_DIR}/horoscope/horoscope_phrases.cpp)

# Every C++ source file as clang-format writes it.
find_program(CLANG_FORMAT clang-format REQUIRED)
add_test(NAME format COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-format.sh WORKING_DIRECTORY ${CMAKE_SOURCE_DIR})

# The built-in holiday table is committed; where node and the chinese-days
# package (see tools/makeholidays.js) are present, this checks that it is
# still exactly what its generator writes.
find_program(NODE node)
set(VEMORA_CHINESE_DAYS "/tmp/chinesedays/node_modules" CACHE PATH "node_modules that hold chinese-days")
add_test(NAME HolidayTable.IsWhatMakeholidaysWrites
    COMMAND ${CMAKE_COMMAND} -DNODE=${NODE} -DMODULES=${VEMORA_CHINESE_DAYS} -DSOURCE=${CMAKE_SOURCE_DIR}
        -P ${CMAKE_SOURCE_DIR}/tests/unit/holidaytable_check.cmake)
set_tests_properties(HolidayTable.IsWhatMakeholidaysWrites PROPERTIES SKIP_REGULAR_EXPRESSION "SKIPPED")

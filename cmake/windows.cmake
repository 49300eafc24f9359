# Cross build with MinGW-w64: PCRE2 and GoogleTest from Debian's sources, the
# Windows shell, Vemora.exe and the tests that run under Wine.
set(VEMORA_DEPS_DIR "${CMAKE_SOURCE_DIR}/build/deps" CACHE PATH "Unpacked Debian sources (scripts/setup.sh)")
file(GLOB pcre2_dirs LIST_DIRECTORIES true "${VEMORA_DEPS_DIR}/pcre2-10.*")
list(GET pcre2_dirs 0 PCRE2_SOURCE_DIR)
if(NOT EXISTS "${PCRE2_SOURCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "PCRE2 sources not found under ${VEMORA_DEPS_DIR}: run scripts/setup.sh")
endif()
set(BUILD_SHARED_LIBS OFF CACHE BOOL "" FORCE)
set(PCRE2_BUILD_PCRE2GREP OFF CACHE BOOL "" FORCE)
set(PCRE2_BUILD_TESTS OFF CACHE BOOL "" FORCE)
set(PCRE2_SUPPORT_JIT OFF CACHE BOOL "" FORCE)
add_subdirectory(${PCRE2_SOURCE_DIR} pcre2 EXCLUDE_FROM_ALL SYSTEM)
target_link_libraries(vemora_core PUBLIC pcre2-8-static)
target_compile_definitions(vemora_core PUBLIC PCRE2_STATIC PCRE2_CODE_UNIT_WIDTH=8)
target_include_directories(vemora_core SYSTEM PUBLIC ${CMAKE_BINARY_DIR}/pcre2)

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
if(MINGW)
    set(static_runtime -static -static-libgcc -static-libstdc++)
    set(unicode_entry -municode)
else()
    set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
    add_compile_options(/utf-8)
    set(static_runtime "")
    set(unicode_entry "")
endif()

# Data generated at build time by host programs: the alarm sound and the
# horoscope sheet. Cross-building, they are built with the machine's own
# compiler; building on Windows, they are programs of this build.
set(gen_dir ${CMAKE_BINARY_DIR}/gen)
file(MAKE_DIRECTORY ${gen_dir})
if(CMAKE_CROSSCOMPILING)
    set(HOST_CXX "c++" CACHE STRING "Compiler for the host programs in tools/")
    add_custom_command(OUTPUT ${gen_dir}/ring.wav
        COMMAND ${HOST_CXX} -O2 -std=c++20 ${CMAKE_SOURCE_DIR}/tools/makering.cpp -o ${gen_dir}/makering
        COMMAND ${gen_dir}/makering ${gen_dir}/ring.wav
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/makering.cpp
        COMMENT "Generating the alarm sound")
    add_custom_command(OUTPUT ${gen_dir}/book.png
        COMMAND ${HOST_CXX} -O2 -std=c++20 ${CMAKE_SOURCE_DIR}/tools/makebook.cpp -o ${gen_dir}/makebook -lz
        COMMAND ${gen_dir}/makebook ${gen_dir}/book.png
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/makebook.cpp
        COMMENT "Generating the notepad sheet")
else()
    find_package(ZLIB REQUIRED)
    add_executable(makering tools/makering.cpp)
    add_executable(makebook tools/makebook.cpp)
    target_link_libraries(makebook PRIVATE ZLIB::ZLIB)
    add_custom_command(OUTPUT ${gen_dir}/ring.wav COMMAND makering ${gen_dir}/ring.wav DEPENDS makering
        COMMENT "Generating the alarm sound")
    add_custom_command(OUTPUT ${gen_dir}/book.png COMMAND makebook ${gen_dir}/book.png DEPENDS makebook
        COMMENT "Generating the notepad sheet")
endif()
add_custom_target(generated_data DEPENDS ${gen_dir}/ring.wav ${gen_dir}/book.png)
set(resource_script ${CMAKE_SOURCE_DIR}/resources/vemora.rc)
set_source_files_properties(${resource_script} PROPERTIES
    OBJECT_DEPENDS "${gen_dir}/ring.wav;${gen_dir}/book.png;${CMAKE_SOURCE_DIR}/resources/vemora.manifest")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${gen_dir} -I${CMAKE_SOURCE_DIR}/resources")

add_library(vemora_shell STATIC ${VEMORA_SHELL_SOURCES})
target_link_libraries(vemora_shell PUBLIC vemora_core gdiplus gdi32 user32 comctl32 comdlg32 shell32 advapi32
    winmm wsock32 ws2_32 winhttp ole32 oleaut32 uuid msimg32 shlwapi)

add_executable(Vemora WIN32 app/main_win.cpp ${resource_script})
target_link_libraries(Vemora PRIVATE vemora_shell)
target_link_options(Vemora PRIVATE ${static_runtime} ${unicode_entry})
add_dependencies(Vemora generated_data)

# The Wine prefix of the tests, made once per build tree; on Windows the
# tests run as they are.
if(CMAKE_CROSSCOMPILING)
    set(VEMORA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/wineprefix.stamp
        COMMAND ${CMAKE_SOURCE_DIR}/cmake/make-wineprefix.sh ${VEMORA_WINEPREFIX} ${CMAKE_BINARY_DIR}/wineprefix.stamp
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make-wineprefix.sh
        COMMENT "Making the Wine prefix of the tests")
    add_custom_target(wineprefix ALL DEPENDS ${CMAKE_BINARY_DIR}/wineprefix.stamp)
    set(wine_run env VEMORA_WINEPREFIX=${VEMORA_WINEPREFIX} ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
else()
    set(wine_run "")
endif()

# GoogleTest from Debian's googletest sources, built with MinGW.
set(VEMORA_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "GoogleTest sources (Debian's googletest package)")
if(EXISTS "${VEMORA_GTEST_SOURCE_DIR}/CMakeLists.txt")
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${VEMORA_GTEST_SOURCE_DIR} googletest EXCLUDE_FROM_ALL SYSTEM)
    set(gtest_target gtest)
else()
    find_package(GTest REQUIRED) # MSYS2's or vcpkg's
    set(gtest_target GTest::gtest)
endif()

set(win_test_sources
    tests/win/calendar_test.cpp tests/win/clock_test.cpp tests/win/glowcanvas_test.cpp tests/win/harness_win.cpp tests/win/menu_test.cpp
    tests/win/nettime_test.cpp tests/win/program_test.cpp tests/win/render_test.cpp tests/win/setup_test.cpp
    tests/win/snapshot_test.cpp tests/win/testserver_win.cpp tests/win/weather_test.cpp tests/win/winmain_test.cpp
    tests/win/xingzuo_test.cpp)
add_executable(vemora_wintests ${win_test_sources} ${resource_script})
target_link_libraries(vemora_wintests PRIVATE vemora_shell ${gtest_target})
target_link_options(vemora_wintests PRIVATE ${static_runtime})
target_include_directories(vemora_wintests PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
add_dependencies(vemora_wintests generated_data)
# The fixtures as the tests see them: under Wine, drive Z: is the Unix root.
string(REPLACE "/" "\\\\" fixtures_win "${CMAKE_SOURCE_DIR}/tests/fixtures")
if(CMAKE_CROSSCOMPILING)
    set(fixtures_win "Z:${fixtures_win}")
endif()
target_compile_definitions(vemora_wintests PRIVATE "VEMORA_FIXTURES=\"${fixtures_win}\"")

set(e2e_sources tests/e2e/clockprocess_win.cpp tests/e2e/e2e_test.cpp tests/e2e/faults_test.cpp)
if(e2e_sources)
    add_executable(vemora_e2e ${e2e_sources} ${CMAKE_SOURCE_DIR}/tests/win/harness_win.cpp
        ${CMAKE_SOURCE_DIR}/tests/win/testserver_win.cpp)
    target_link_libraries(vemora_e2e PRIVATE vemora_shell ${gtest_target})
    target_link_options(vemora_e2e PRIVATE ${static_runtime})
    target_include_directories(vemora_e2e PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
    target_link_libraries(vemora_e2e PRIVATE psapi)
    add_dependencies(vemora_e2e Vemora)
endif()

# Each group of Windows tests is one ctest entry, so that the two cores run
# two groups at once.
set(VEMORA_WIN_TEST_GROUPS "" CACHE INTERNAL "")
function(vemora_win_test name filter)
    add_test(NAME win.${name} COMMAND ${wine_run} $<TARGET_FILE:vemora_wintests> --gtest_filter=${filter}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(win.${name} PROPERTIES TIMEOUT 600 LABELS win)
endfunction()
include(${CMAKE_SOURCE_DIR}/tests/win/groups.cmake)
if(e2e_sources)
    add_test(NAME e2e.main COMMAND ${wine_run} $<TARGET_FILE:vemora_e2e> $<TARGET_FILE:Vemora>
        --gtest_filter=-*Soak* WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    # The soak runs VEMORA_SOAK_MINUTES (2 by default) beside the other tests.
    add_test(NAME e2e.soak COMMAND ${wine_run} $<TARGET_FILE:vemora_e2e> $<TARGET_FILE:Vemora>
        --gtest_filter=*Soak* WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e.main e2e.soak PROPERTIES TIMEOUT 3600 LABELS e2e)
endif()

add_executable(vemora_winbench bench/win_bench.cpp)
target_link_libraries(vemora_winbench PRIVATE vemora_shell)
target_link_options(vemora_winbench PRIVATE ${static_runtime})

# The release package and its test.
include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)

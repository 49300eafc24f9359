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

# The Wine prefix of the tests, made once per build tree. Cross-built
# programs run through the emulator, wine-run.sh in that prefix: the tests and
# the build's own runs of them. On Windows they run as they are.
if(CMAKE_CROSSCOMPILING)
    set(VEMORA_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/wineprefix.stamp
        COMMAND ${CMAKE_SOURCE_DIR}/cmake/make-wineprefix.sh ${VEMORA_WINEPREFIX} ${CMAKE_BINARY_DIR}/wineprefix.stamp
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make-wineprefix.sh
        COMMENT "Making the Wine prefix of the tests")
    add_custom_target(wineprefix ALL DEPENDS ${CMAKE_BINARY_DIR}/wineprefix.stamp)
    set(CMAKE_CROSSCOMPILING_EMULATOR env VEMORA_WINEPREFIX=${VEMORA_WINEPREFIX}
        ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh)
    set(wineprefix_ready wineprefix ${CMAKE_BINARY_DIR}/wineprefix.stamp)
    # Copies of it whose screen has 144 and 192 pixels per inch, and one
    # without the font replacements, as Wine makes a prefix.
    set(VEMORA_TEST_DPIS 144 192)
    foreach(copy ${VEMORA_TEST_DPIS} plainfonts)
        add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/wineprefix-${copy}.stamp
            COMMAND ${CMAKE_SOURCE_DIR}/cmake/copy-wineprefix.sh ${VEMORA_WINEPREFIX} ${VEMORA_WINEPREFIX}-${copy}
                ${copy} ${CMAKE_BINARY_DIR}/wineprefix-${copy}.stamp
            DEPENDS ${CMAKE_BINARY_DIR}/wineprefix.stamp ${CMAKE_SOURCE_DIR}/cmake/copy-wineprefix.sh
            COMMENT "Making the Wine prefix of the tests: ${copy}")
        add_custom_target(wineprefix-${copy} ALL DEPENDS ${CMAKE_BINARY_DIR}/wineprefix-${copy}.stamp)
    endforeach()
else()
    set(wineprefix_ready "")
endif()

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
if(MINGW)
    # Each function and datum in a section of its own, so that the program's
    # link drops what nothing calls: the release exe stays small.
    add_compile_options(-ffunction-sections -fdata-sections)
    target_compile_options(vemora_core PRIVATE -ffunction-sections -fdata-sections)
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
    add_custom_command(OUTPUT ${gen_dir}/book.png ${gen_dir}/book2x.png
        COMMAND ${HOST_CXX} -O2 -std=c++20 ${CMAKE_SOURCE_DIR}/tools/makebook.cpp -o ${gen_dir}/makebook -lz
        COMMAND ${gen_dir}/makebook ${gen_dir}/book.png
        COMMAND ${gen_dir}/makebook ${gen_dir}/book2x.png 1024
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/makebook.cpp
        COMMENT "Generating the notepad sheet")
    add_custom_command(OUTPUT ${gen_dir}/vemora.ico
        COMMAND ${HOST_CXX} -O2 -std=c++20 ${CMAKE_SOURCE_DIR}/tools/makeicon.cpp -o ${gen_dir}/makeicon -lz
        COMMAND ${gen_dir}/makeicon ${gen_dir}/vemora.ico
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/makeicon.cpp
        COMMENT "Generating the program's icon")
else()
    find_package(ZLIB REQUIRED)
    add_executable(makering tools/makering.cpp)
    add_executable(makebook tools/makebook.cpp)
    target_link_libraries(makebook PRIVATE ZLIB::ZLIB)
    add_custom_command(OUTPUT ${gen_dir}/ring.wav COMMAND makering ${gen_dir}/ring.wav DEPENDS makering
        COMMENT "Generating the alarm sound")
    add_custom_command(OUTPUT ${gen_dir}/book.png ${gen_dir}/book2x.png COMMAND makebook ${gen_dir}/book.png
        COMMAND makebook ${gen_dir}/book2x.png 1024 DEPENDS makebook
        COMMENT "Generating the notepad sheet")
    add_executable(makeicon tools/makeicon.cpp)
    target_link_libraries(makeicon PRIVATE ZLIB::ZLIB)
    add_custom_command(OUTPUT ${gen_dir}/vemora.ico COMMAND makeicon ${gen_dir}/vemora.ico DEPENDS makeicon
        COMMENT "Generating the program's icon")
endif()
add_custom_target(generated_data DEPENDS ${gen_dir}/ring.wav ${gen_dir}/book.png ${gen_dir}/book2x.png
    ${gen_dir}/vemora.ico)
# The version, written once in project(): into the resource script's version
# block, the manifest, the About box and the user agent.
configure_file(${CMAKE_SOURCE_DIR}/base/version.h.in ${gen_dir}/base/version.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/vemora.manifest.in ${gen_dir}/vemora.manifest @ONLY)
set(resource_script ${CMAKE_SOURCE_DIR}/resources/vemora.rc)
set_source_files_properties(${resource_script} PROPERTIES
    OBJECT_DEPENDS "${gen_dir}/ring.wav;${gen_dir}/book.png;${gen_dir}/book2x.png;${gen_dir}/vemora.ico;${gen_dir}/vemora.manifest;${gen_dir}/base/version.h")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${gen_dir} -I${CMAKE_SOURCE_DIR}/resources")

add_library(vemora_shell STATIC ${VEMORA_SHELL_SOURCES})
# A window's hooks on its base are virtual: a hook written without `override`
# fails here, so a misspelt one cannot build as a function nobody calls.
if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set(vemora_hook_check $<$<COMPILE_LANGUAGE:CXX>:-Werror=suggest-override>)
    target_compile_options(vemora_shell PRIVATE ${vemora_hook_check})
endif()
target_include_directories(vemora_shell PUBLIC ${gen_dir})
target_link_libraries(vemora_shell PUBLIC vemora_core gdiplus gdi32 user32 comctl32 comdlg32 shell32 advapi32
    winmm wsock32 ws2_32 winhttp ole32 oleaut32 uuid msimg32 shlwapi wtsapi32)

add_executable(Vemora WIN32 app/main_win.cpp ${resource_script})
target_compile_options(Vemora PRIVATE ${vemora_hook_check})
target_link_libraries(Vemora PRIVATE vemora_shell)
target_link_options(Vemora PRIVATE ${static_runtime} ${unicode_entry} $<$<BOOL:${MINGW}>:-Wl,--gc-sections>)
add_dependencies(Vemora generated_data)

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
    tests/win/calendar_test.cpp tests/win/clock_test.cpp tests/win/glowcanvas_test.cpp tests/win/harness_win.cpp tests/win/menu_test.cpp tests/win/alarm_test.cpp
    tests/win/nettime_test.cpp tests/win/program_test.cpp tests/win/render_test.cpp tests/win/setup_test.cpp
    tests/win/snapshot_test.cpp tests/win/testserver_win.cpp tests/win/weather_test.cpp tests/win/forecast_test.cpp tests/win/winmain_test.cpp
    tests/win/xingzuo_test.cpp tests/win/lunarcal_test.cpp
    tests/win/dpi_test.cpp tests/win/position_test.cpp tests/win/tick_test.cpp tests/win/https_test.cpp
    tests/win/eventlog_test.cpp tests/win/holidayfeed_test.cpp)
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

set(e2e_sources tests/e2e/clockprocess_win.cpp tests/e2e/helpers_win.cpp tests/e2e/e2e_test.cpp tests/e2e/face_test.cpp tests/e2e/faults_test.cpp
    tests/e2e/forecast_e2e_test.cpp tests/e2e/alarm_e2e_test.cpp tests/e2e/horoscope_test.cpp tests/e2e/input_test.cpp tests/e2e/timing_test.cpp)
if(e2e_sources)
    add_executable(vemora_e2e ${e2e_sources} ${CMAKE_SOURCE_DIR}/tests/win/harness_win.cpp
        ${CMAKE_SOURCE_DIR}/tests/win/testserver_win.cpp)
    target_link_libraries(vemora_e2e PRIVATE vemora_shell ${gtest_target})
    target_link_options(vemora_e2e PRIVATE ${static_runtime})
    target_include_directories(vemora_e2e PRIVATE ${CMAKE_SOURCE_DIR}/tests/win)
    target_link_libraries(vemora_e2e PRIVATE psapi)
    target_compile_definitions(vemora_e2e PRIVATE "VEMORA_FIXTURES=\"${fixtures_win}\"")
    add_dependencies(vemora_e2e Vemora)
endif()

# Each group of Windows tests is one ctest entry. The groups and the
# end-to-end runs show windows where the others' stand, read the screen, move
# the real pointer and take the foreground on one virtual display, so they
# take turns on it ("desktop").
# A group may run beside servers a WRAPPER program starts; it is given the
# prefix, then the command that runs the tests under Wine.
set_property(GLOBAL PROPERTY VEMORA_WIN_TEST_GROUPS "")
function(vemora_win_test name filter)
    cmake_parse_arguments(arg "" "" "WRAPPER" ${ARGN})
    set(command vemora_wintests)
    if(arg_WRAPPER AND CMAKE_CROSSCOMPILING)
        set(command env VEMORA_WINEPREFIX=${VEMORA_WINEPREFIX} ${arg_WRAPPER} ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:vemora_wintests>)
    endif()
    add_test(NAME win.${name} COMMAND ${command} --gtest_filter=${filter} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(win.${name} PROPERTIES TIMEOUT 600 LABELS win RESOURCE_LOCK desktop)
    set_property(GLOBAL APPEND PROPERTY VEMORA_WIN_TEST_GROUPS "${name} ${filter}")
endfunction()
include(${CMAKE_SOURCE_DIR}/tests/win/groups.cmake)
# The scaling tests again on screens of higher resolution.
foreach(dpi ${VEMORA_TEST_DPIS})
    add_test(NAME win.dpi${dpi} COMMAND env VEMORA_WINEPREFIX=${VEMORA_WINEPREFIX}-${dpi} VEMORA_EXPECT_DPI=${dpi}
        ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh $<TARGET_FILE:vemora_wintests> --gtest_filter=Dpi*
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(win.dpi${dpi} PROPERTIES TIMEOUT 600 LABELS win RESOURCE_LOCK desktop)
endforeach()

# A group that runs nothing passes unnoticed, and so does a test in no group:
# the build lists the Windows tests and fails on either.
get_property(win_test_groups GLOBAL PROPERTY VEMORA_WIN_TEST_GROUPS)
string(REPLACE ";" "\n" win_test_groups "${win_test_groups}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/wintest-groups.txt CONTENT "${win_test_groups}\n" @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/wintest-groups.stamp
    COMMAND ${CMAKE_COMMAND} "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}" -DTESTS=$<TARGET_FILE:vemora_wintests>
        -DGROUPS=${CMAKE_BINARY_DIR}/wintest-groups.txt -DSTAMP=${CMAKE_BINARY_DIR}/wintest-groups.stamp
        -P ${CMAKE_SOURCE_DIR}/cmake/check-test-groups.cmake
    DEPENDS vemora_wintests ${wineprefix_ready} ${CMAKE_BINARY_DIR}/wintest-groups.txt
        ${CMAKE_SOURCE_DIR}/cmake/check-test-groups.cmake
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Checking the groups of Windows tests"
    VERBATIM)
add_custom_target(wintest_groups ALL DEPENDS ${CMAKE_BINARY_DIR}/wintest-groups.stamp)

if(e2e_sources)
    add_test(NAME e2e.main COMMAND vemora_e2e $<TARGET_FILE:Vemora> --gtest_filter=-*Soak*:AlarmEndToEnd.*:PlainFonts.*
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    # A first start on a Wine prefix without the families the program prefers.
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME e2e.plainfonts COMMAND env VEMORA_WINEPREFIX=${VEMORA_WINEPREFIX}-plainfonts
            ${CMAKE_SOURCE_DIR}/cmake/wine-run.sh $<TARGET_FILE:vemora_e2e> $<TARGET_FILE:Vemora>
            --gtest_filter=PlainFonts.* WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
        set_tests_properties(e2e.plainfonts PROPERTIES TIMEOUT 600 LABELS e2e RESOURCE_LOCK desktop)
    endif()
    # The alarms at set dates: libfaketime is preloaded into the Wine side,
    # and a program started from Wine keeps its parent's Unix environment, so
    # each clock takes the date that the file names when it starts.
    add_test(NAME e2e.alarms COMMAND vemora_e2e $<TARGET_FILE:Vemora> --gtest_filter=AlarmEndToEnd.*
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e.alarms PROPERTIES TIMEOUT 1200 LABELS e2e RESOURCE_LOCK desktop
        ENVIRONMENT "LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1;FAKETIME_TIMESTAMP_FILE=${CMAKE_BINARY_DIR}/faketime.txt;FAKETIME_CACHE_DURATION=1;DONT_FAKE_MONOTONIC=1;VEMORA_FAKETIME_FILE=${CMAKE_BINARY_DIR}/faketime.txt")
    # The soak runs VEMORA_SOAK_MINUTES (2 by default).
    add_test(NAME e2e.soak COMMAND vemora_e2e $<TARGET_FILE:Vemora> --gtest_filter=*Soak*
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(e2e.main e2e.soak PROPERTIES TIMEOUT 3600 LABELS e2e)
    set_tests_properties(e2e.main e2e.soak PROPERTIES RESOURCE_LOCK desktop)
endif()

add_executable(vemora_winbench bench/win_bench.cpp)
target_link_libraries(vemora_winbench PRIVATE vemora_shell)
target_link_options(vemora_winbench PRIVATE ${static_runtime})

# The release package and its test.
include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)

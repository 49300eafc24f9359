# Builds the release package and checks what a user gets: the ZIP and its
# SHA-256 file, the three files in it, a stripped Vemora.exe of at most
# 5.5 MB (the built-in alarm sound alone is 3 MB), and that this Vemora.exe,
# unpacked, starts and shows the time.
#   cmake -DBINARY_DIR=... -DPACKAGE=...zip -DE2E=vemora_e2e.exe
#         [-DWINE_RUN=cmake/wine-run.sh -DWINEPREFIX=...] -P package_check.cmake
function(fail)
    message(FATAL_ERROR ${ARGN})
endfunction()

execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --target package RESULT_VARIABLE built)
if(NOT built EQUAL 0)
    fail("the package target failed")
endif()
if(NOT EXISTS ${PACKAGE} OR NOT EXISTS ${PACKAGE}.sha256)
    fail("missing ${PACKAGE} or its .sha256")
endif()
file(SHA256 ${PACKAGE} actual)
file(READ ${PACKAGE}.sha256 stated)
get_filename_component(zip_name ${PACKAGE} NAME)
if(NOT stated MATCHES "^${actual} +${zip_name}")
    fail("${zip_name}.sha256 says '${stated}', the file's SHA-256 is ${actual}")
endif()

set(unpacked ${BINARY_DIR}/package-check)
file(REMOVE_RECURSE ${unpacked})
file(ARCHIVE_EXTRACT INPUT ${PACKAGE} DESTINATION ${unpacked})
get_filename_component(folder_name ${PACKAGE} NAME_WLE)
set(folder ${unpacked}/${folder_name})
file(GLOB contents RELATIVE ${unpacked} ${unpacked}/* ${folder}/*)
list(SORT contents)
set(expected ${folder_name} ${folder_name}/LICENSE ${folder_name}/Vemora.exe ${folder_name}/使用说明.txt)
list(SORT expected)
if(NOT contents STREQUAL expected)
    fail("the package holds '${contents}', expected '${expected}'")
endif()
file(SIZE ${folder}/Vemora.exe size)
if(size GREATER 5500000)
    fail("Vemora.exe is ${size} bytes, more than 5.5 MB")
endif()
file(STRINGS ${folder}/Vemora.exe debug_sections REGEX "^\\.debug_" LIMIT_COUNT 1)
if(debug_sections)
    fail("Vemora.exe still holds debug sections (${debug_sections})")
endif()
message(STATUS "${zip_name}: Vemora.exe ${size} bytes, SHA-256 ${actual}")

if(WINE_RUN)
    set(run ${CMAKE_COMMAND} -E env VEMORA_WINEPREFIX=${WINEPREFIX} ${WINE_RUN})
endif()
execute_process(COMMAND ${run} ${E2E} ${folder}/Vemora.exe --gtest_filter=EndToEnd.FirstFrameAfterStart
    RESULT_VARIABLE shown)
if(NOT shown EQUAL 0)
    fail("the unpacked Vemora.exe did not show the time")
endif()

# The release package, a ZIP made by CPack (`cmake --build build/win --target
# package`): the stripped Vemora.exe, the licence and the Chinese user guide
# in one folder, with the ZIP's SHA-256 in a file beside it. Only the
# component "release" goes in, so the install rules of PCRE2 and GoogleTest
# add nothing.
set(package_dir ${CMAKE_BINARY_DIR}/package)
# Text files as Notepad on any Windows reads them: CRLF, and the guide in
# UTF-8 with its byte order mark.
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${package_dir}/LICENSE NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/docs/使用说明.txt ${package_dir}/使用说明.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS Vemora RUNTIME DESTINATION . COMPONENT release)
install(FILES ${package_dir}/LICENSE ${package_dir}/使用说明.txt DESTINATION . COMPONENT release)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vemora)
set(CPACK_PACKAGE_VENDOR "Vemora developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vemora-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Vemora;release;/")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(VEMORA_PACKAGE_FILE ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
include(CPack)

# The test command builds the package and starts the Vemora.exe in it. It
# runs after the other end-to-end runs, whose first-frame check looks at the
# same place on the screen.
if(TARGET vemora_e2e)
    if(CMAKE_CROSSCOMPILING)
        set(package_wine -DWINE_RUN=${CMAKE_SOURCE_DIR}/cmake/wine-run.sh -DWINEPREFIX=${VEMORA_WINEPREFIX})
    endif()
    add_test(NAME e2e.package COMMAND ${CMAKE_COMMAND} -DBINARY_DIR=${CMAKE_BINARY_DIR}
        -DPACKAGE=${VEMORA_PACKAGE_FILE} -DE2E=$<TARGET_FILE:vemora_e2e> ${package_wine}
        -P ${CMAKE_SOURCE_DIR}/tests/e2e/package_check.cmake)
    set_tests_properties(e2e.package PROPERTIES TIMEOUT 600 LABELS e2e DEPENDS e2e.main RESOURCE_LOCK desktop)
endif()

# The programs the package installs. Each one joins with one line after its add_executable:
#
#     matrix_program(<target>)
#
# which
#   - lets it include "BuildInfo.h" (BuildInfo::Version for --version, BuildInfo::AppId),
#   - builds it at the top of the build tree (build/<target>, where the scripts and the
#     benches look for it),
#   - installs it to bin/ (stripped in the package, see cmake/Package.cmake),
#   - installs its man page man/<target>.1, gzipped, to share/man/man1 (the page must exist),
#   - adds the test program.<target>: `<target> --help` and `<target> --version` succeed with
#     no display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset) and the version line is
#     "<target> <version>".
# scripts/package-check.sh also wants it under <provides> in the AppStream file (packaging/).
include_guard(GLOBAL)
include(GNUInstallDirs)

configure_file(${CMAKE_CURRENT_LIST_DIR}/BuildInfo.h.in
               ${CMAKE_BINARY_DIR}/generated/BuildInfo.h @ONLY)
add_library(matrix_build_info INTERFACE)
target_include_directories(matrix_build_info INTERFACE ${CMAKE_BINARY_DIR}/generated)

set(MATRIX_MAN_DIR ${CMAKE_CURRENT_LIST_DIR}/../man)
cmake_path(NORMAL_PATH MATRIX_MAN_DIR)

function(matrix_program target)
    target_link_libraries(${target} PRIVATE matrix_build_info)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

    set(page ${MATRIX_MAN_DIR}/${target}.1)
    if(NOT EXISTS ${page})
        message(FATAL_ERROR "${target}: no man page ${page}")
    endif()
    set(gzipped ${CMAKE_BINARY_DIR}/man/${target}.1.gz)
    add_custom_command(
        OUTPUT ${gzipped}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND gzip -9 -n -c ${page} > ${gzipped}
        DEPENDS ${page}
        COMMENT "Compressing the man page ${target}.1")
    add_custom_target(${target}_man ALL DEPENDS ${gzipped})
    install(FILES ${gzipped} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

    if(MATRIX_BUILD_TESTS)
        add_test(NAME program.${target}
                 COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DNAME=${target}
                         -DVERSION=${PROJECT_VERSION}
                         -P ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckProgramOptions.cmake)
        set_tests_properties(program.${target} PROPERTIES LABELS program TIMEOUT 60)
    endif()
endfunction()

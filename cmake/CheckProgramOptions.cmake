# Runs PROGRAM --help and PROGRAM --version as a user would on a machine without a display:
# both must succeed, --help must name both options and --version must print "NAME VERSION".
#   cmake -DPROGRAM=<path> -DNAME=<name> -DVERSION=<version> -P CheckProgramOptions.cmake
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})

function(run_option option out_var)
    execute_process(COMMAND ${PROGRAM} ${option}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors
                    TIMEOUT 20)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${NAME} ${option} failed (${result}) with no display:\n"
                            "${output}${errors}")
    endif()
    set(${out_var} "${output}" PARENT_SCOPE)
endfunction()

run_option(--help help)
foreach(option --help --version)
    string(FIND "${help}" "${option}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${NAME} --help does not mention ${option}:\n${help}")
    endif()
endforeach()

run_option(--version version)
if(NOT version STREQUAL "${NAME} ${VERSION}\n")
    message(FATAL_ERROR "${NAME} --version printed \"${version}\", not \"${NAME} ${VERSION}\"")
endif()
message(STATUS "${NAME}: --help and --version work with no display")

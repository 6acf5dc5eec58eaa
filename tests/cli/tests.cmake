# The veltrix program against the simulated receiver, as processes, and its
# runner in-process where a test needs a short silence limit.
veltrix_add_test(test_cli_e2e SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_cli_e2e.cpp LIBS veltrix_cli veltrix_sim)
add_dependencies(test_cli_e2e veltrix veltrix-unit-sim)

# The command-line program runs without a display: no Qt Widgets or Gui.
find_program(VELTRIX_LDD ldd)
if(VELTRIX_LDD)
    add_test(NAME check_cli_links_core_only
        COMMAND sh -c "libs=$(${VELTRIX_LDD} \"$1\") && ! printf '%s' \"$libs\" | grep -E 'libQt6(Widgets|Gui)'"
                sh $<TARGET_FILE:veltrix>)
else()
    add_test(NAME check_cli_links_core_only COMMAND ${CMAKE_COMMAND} -E echo "ldd not found")
    set_tests_properties(check_cli_links_core_only PROPERTIES DISABLED TRUE)
endif()

# The real program against the real simulated receiver, both as processes.
veltrix_add_test(test_program_e2e SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_program_e2e.cpp)
add_dependencies(test_program_e2e veltrix-pc-interface veltrix-unit-sim)
# Whole-unit saves, loads and writes against the simulated receiver on every
# kind of bad line, time-scaled; the budget holds a sanitized build too.
veltrix_add_test(test_fault_matrix SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_fault_matrix.cpp LIBS veltrix_sim)
set_tests_properties(test_fault_matrix PROPERTIES TIMEOUT 300)

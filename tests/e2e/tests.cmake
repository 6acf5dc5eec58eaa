# The real program against the real simulated receiver, both as processes.
veltrix_add_test(test_program_e2e SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_program_e2e.cpp)
add_dependencies(test_program_e2e veltrix-pc-interface veltrix-unit-sim)

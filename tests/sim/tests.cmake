# The simulated receiver: its unit state machine and memories, and its line.
veltrix_add_test(sim_unit_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_unit_test.cpp
    LIBS veltrix_sim)
veltrix_add_test(sim_receiver_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sim_receiver_test.cpp
    LIBS veltrix_sim)
# The receiver test also runs the program itself.
add_dependencies(sim_receiver_test veltrix-unit-sim)

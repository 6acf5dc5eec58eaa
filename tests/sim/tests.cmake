# The simulated receiver: its unit state machine and memories, and its line.
veltrix_add_test(test_sim_unit SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_unit.cpp LIBS veltrix_sim)
veltrix_add_test(test_sim_receiver
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_receiver.cpp
    LIBS veltrix_sim)
# The receiver test also runs the program itself.
add_dependencies(test_sim_receiver veltrix-unit-sim)
# The simulated unit's own setup layout against the program's.
veltrix_add_test(test_setup_layout
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_setup_layout.cpp
    LIBS veltrix_sim)

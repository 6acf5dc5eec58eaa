# The simulated receiver: its unit state machine, memories and setup layout
# (against the program's), and its line.
veltrix_add_test(test_sim_unit SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_unit.cpp LIBS veltrix_sim)
veltrix_add_test(test_sim_receiver
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sim_receiver.cpp
    LIBS veltrix_sim)

# Memory transfers: the engine against a scripted unit, and its progress
# window. Whole transfers against the simulated receiver are the fault
# matrix's and the backup round trip's.
veltrix_add_test(test_memory_transfer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_memory_transfer.cpp
    LIBS veltrix_gui)

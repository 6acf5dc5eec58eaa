# Memory transfers: the engine against a scripted unit, the progress window,
# and whole transfers against the simulated receiver.
veltrix_add_test(test_memory_transfer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_memory_transfer.cpp)

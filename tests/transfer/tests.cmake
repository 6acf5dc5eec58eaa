# Memory transfers: the engine against a scripted unit, the progress window,
# and whole transfers against the simulated receiver.
veltrix_add_test(test_memory_transfer
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_memory_transfer.cpp)
veltrix_add_test(test_transfer_progress
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_transfer_progress.cpp
    LIBS veltrix_gui)
veltrix_add_test(test_transfer_e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_transfer_e2e.cpp
    LIBS veltrix_sim)

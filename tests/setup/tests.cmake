# The records of the pages, the pages, the rename dialog, and every control of
# the sheet and the dialogs as a screen reader hears it.
veltrix_add_test(test_setup_pages SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_setup_pages.cpp LIBS veltrix_gui)
# The sheet from the Unit menu against the simulated receiver.
veltrix_add_test(test_setup_sheet_e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_setup_sheet_e2e.cpp
    LIBS veltrix_gui veltrix_sim)

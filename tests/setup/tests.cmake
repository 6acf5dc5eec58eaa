veltrix_add_test(test_rename_input SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_rename_input.cpp LIBS veltrix_gui)

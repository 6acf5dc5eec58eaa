veltrix_add_test(test_unit_frame SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unit_frame.cpp)
veltrix_add_test(test_unit_link SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unit_link.cpp)

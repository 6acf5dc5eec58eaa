veltrix_add_test(test_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_options.cpp)

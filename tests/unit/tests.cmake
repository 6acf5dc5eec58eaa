# The session with the unit and the live status, without a window.
veltrix_add_test(test_live_status SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_live_status.cpp)
veltrix_add_test(test_connection SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_connection.cpp)
veltrix_add_test(test_unit_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_unit_commands.cpp)

veltrix_add_test(test_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_options.cpp)

# Upgrade check, help, About box and the installed tree.
veltrix_add_test(test_upgrade_check_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_check_file.cpp)
veltrix_add_test(test_upgrade_check SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_upgrade_check.cpp LIBS veltrix_gui)

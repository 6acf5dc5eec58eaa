veltrix_add_test(test_options SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_options.cpp)
veltrix_add_test(test_port_detection SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_port_detection.cpp)
veltrix_add_test(test_tray SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tray.cpp LIBS veltrix_gui)
veltrix_add_test(test_options_dlg SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_options_dlg.cpp LIBS veltrix_gui)

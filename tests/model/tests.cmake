veltrix_add_test(test_settings_image SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_settings_image.cpp)
veltrix_add_test(test_tuner_preset_list SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tuner_preset_list.cpp)

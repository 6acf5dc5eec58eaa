veltrix_add_test(test_settings_file
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_settings_file.cpp)
target_compile_definitions(test_settings_file PRIVATE
    VELTRIX_GOLDEN_DIR="${CMAKE_CURRENT_LIST_DIR}/golden")
# Save Settings and Load Settings from the panel against simulated receivers.
veltrix_add_test(test_settings_files_e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_settings_files_e2e.cpp
    LIBS veltrix_gui veltrix_cli veltrix_sim)

# The tuner presets: the preset file, the dialogs on their own, and "Edit
# Presets" end to end against the simulated receiver.
veltrix_add_test(test_tuner_preset_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tuner_preset_file.cpp)
veltrix_add_test(test_tuner_dialogs
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tuner_dialogs.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tuner_dialog_driver.h
    LIBS veltrix_gui)
veltrix_add_test(test_tuner_presets_e2e
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tuner_presets_e2e.cpp
            ${CMAKE_CURRENT_LIST_DIR}/tuner_dialog_driver.h
    LIBS veltrix_gui veltrix_sim)

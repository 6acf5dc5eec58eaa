# The tuner presets: the preset file, and the dialogs on their own and from
# "Edit Presets" against the simulated receiver.
veltrix_add_test(test_tuner_preset_file SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tuner_preset_file.cpp)
veltrix_add_test(test_tuner_dialogs
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_tuner_dialogs.cpp
    LIBS veltrix_gui veltrix_sim)

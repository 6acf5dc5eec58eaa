# Tuner entry parsing and the tuner preset file (core).
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tuner_entry.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_entry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tuner_preset_file.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_preset_file.cpp
)

# "Edit Presets": the read, the editor and the write-back, without a widget.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tuner_presets_flow.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_presets_flow.cpp
)

# The Tuner Presets dialog with its lists and the New Tuner Preset dialog.
target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/dialog_answers.h
    ${CMAKE_CURRENT_LIST_DIR}/preset_list_ctrl.h
    ${CMAKE_CURRENT_LIST_DIR}/preset_list_ctrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frequency_spin_box.h
    ${CMAKE_CURRENT_LIST_DIR}/frequency_spin_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/new_tuner_preset_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/new_tuner_preset_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tuner_presets_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_presets_dlg.cpp
)

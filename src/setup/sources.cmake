target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/rename_input_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/rename_input_dlg.cpp
)
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/setup_flags.h
)

# Records of the Speaker, Levels and Listening Modes pages.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/speaker_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/speaker_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/level_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/level_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/listening_mode_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/listening_mode_fields.cpp
)
target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/c_speaker_page.h
    ${CMAKE_CURRENT_LIST_DIR}/c_speaker_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/c_level_page.h
    ${CMAKE_CURRENT_LIST_DIR}/c_level_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/c_listening_mode_page.h
    ${CMAKE_CURRENT_LIST_DIR}/c_listening_mode_page.cpp
)
qt_add_resources(veltrix_gui veltrix_pictures
    PREFIX /veltrix
    BASE ${CMAKE_CURRENT_LIST_DIR}/../../resources
    FILES ${CMAKE_CURRENT_LIST_DIR}/../../resources/pictures/listener.png)

# The pages' fields as one record, and the flow from a read block to the
# sheet and back to the unit.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/setup_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/setup_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setup_flow.h
    ${CMAKE_CURRENT_LIST_DIR}/setup_flow.cpp
)

target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/input_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/input_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/advanced_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/advanced_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/surround_mode_fields.h
    ${CMAKE_CURRENT_LIST_DIR}/surround_mode_fields.cpp
)
target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/setup_controls.h
    ${CMAKE_CURRENT_LIST_DIR}/setup_controls.cpp
    ${CMAKE_CURRENT_LIST_DIR}/c_input_page.h
    ${CMAKE_CURRENT_LIST_DIR}/c_input_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/c_advanced_page.h
    ${CMAKE_CURRENT_LIST_DIR}/c_advanced_page.cpp
    ${CMAKE_CURRENT_LIST_DIR}/c_surrmode_page.h
    ${CMAKE_CURRENT_LIST_DIR}/c_surrmode_page.cpp
)

# The sheet that holds the pages.
target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/setup_sheet.h
    ${CMAKE_CURRENT_LIST_DIR}/setup_sheet.cpp
)

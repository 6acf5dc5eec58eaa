target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/rename_input_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/rename_input_dlg.cpp
)
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/setup_flags.h
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

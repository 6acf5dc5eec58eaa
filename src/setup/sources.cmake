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

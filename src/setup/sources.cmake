target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/rename_input_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/rename_input_dlg.cpp
)
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/setup_flags.h
)

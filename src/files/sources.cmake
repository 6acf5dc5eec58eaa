# Settings files: the format, its writer and reader, and which units may use them.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_format.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_format.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_writer.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_reader.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_values.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_sections.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_gate.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_gate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/unit_write.h
    ${CMAKE_CURRENT_LIST_DIR}/configuration_compare.h
    ${CMAKE_CURRENT_LIST_DIR}/configuration_compare.cpp
    ${CMAKE_CURRENT_LIST_DIR}/load_plan.h
    ${CMAKE_CURRENT_LIST_DIR}/load_plan.cpp
)

# "Save Settings" and "Load Settings" without a widget: the save chain and the load run.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/unit_configuration_read.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_configuration_read.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_save_chain.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_save_chain.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_load_run.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_load_run.cpp
)

# Their file dialogs and message boxes, and the result of a comparison.
target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_commands.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_commands.cpp
    ${CMAKE_CURRENT_LIST_DIR}/compare_result_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/compare_result_dlg.cpp
)

# veltrix_cli: the command-line front end on the core only (no widgets, no
# GUI), so it runs over ssh without a display.
add_library(veltrix_cli STATIC
    ${CMAKE_CURRENT_LIST_DIR}/cli_command_line.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_command_line.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_live_verb.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_live_verb.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_progress.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_progress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_runner.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_runner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_settings_run.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_settings_run.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_status_report.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_status_report.cpp
)
target_include_directories(veltrix_cli PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(veltrix_cli PUBLIC veltrix_core PRIVATE veltrix_warnings)

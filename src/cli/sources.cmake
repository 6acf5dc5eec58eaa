# veltrix_cli: the command-line front end on the core only (no widgets, no
# GUI), so it runs over ssh without a display; the desktop program links it to
# serve command lines beside it.
add_library(veltrix_cli STATIC
    ${CMAKE_CURRENT_LIST_DIR}/cli_client.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_client.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_command_line.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_command_line.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_live_verb.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_live_verb.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_progress.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_progress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_runner.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_runner.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_remote.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_remote.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_server.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_server.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_settings_run.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_settings_run.cpp
    ${CMAKE_CURRENT_LIST_DIR}/cli_status_report.h
    ${CMAKE_CURRENT_LIST_DIR}/cli_status_report.cpp
)
target_include_directories(veltrix_cli PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
# Qt Network for the local socket shared with a running desktop program.
target_link_libraries(veltrix_cli PUBLIC veltrix_core Qt6::Network PRIVATE veltrix_warnings)

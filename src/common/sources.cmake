# What every layer uses: the message table, the termination signals and the
# help topics with their request service in the core, the message-box hook in
# the GUI library.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/text.h
    ${CMAKE_CURRENT_LIST_DIR}/safe_save.h
    ${CMAKE_CURRENT_LIST_DIR}/safe_save.cpp
    ${CMAKE_CURRENT_LIST_DIR}/local_file.h
    ${CMAKE_CURRENT_LIST_DIR}/local_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/message_table.h
    ${CMAKE_CURRENT_LIST_DIR}/message_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/termination_signals.h
    ${CMAKE_CURRENT_LIST_DIR}/termination_signals.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_topic.h
    ${CMAKE_CURRENT_LIST_DIR}/help_topic.cpp
    ${CMAKE_CURRENT_LIST_DIR}/help_request.h
    ${CMAKE_CURRENT_LIST_DIR}/help_request.cpp
)
qt_add_resources(veltrix_core veltrix_messages
    PREFIX /veltrix
    BASE ${CMAKE_CURRENT_LIST_DIR}/../../resources
    FILES ${CMAKE_CURRENT_LIST_DIR}/../../resources/messages.tsv)

target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/message_box.h
    ${CMAKE_CURRENT_LIST_DIR}/message_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/upper_case_edit.h
    ${CMAKE_CURRENT_LIST_DIR}/upper_case_edit.cpp
)

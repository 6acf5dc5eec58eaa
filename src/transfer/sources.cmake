target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/eeprom_map.h
    ${CMAKE_CURRENT_LIST_DIR}/transfer_state.h
    ${CMAKE_CURRENT_LIST_DIR}/memory_transfer.h
    ${CMAKE_CURRENT_LIST_DIR}/memory_transfer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/memory_transfer_read.cpp
    ${CMAKE_CURRENT_LIST_DIR}/memory_transfer_write.cpp
    ${CMAKE_CURRENT_LIST_DIR}/transfer_result.h
    ${CMAKE_CURRENT_LIST_DIR}/transfer_bytes.h
    ${CMAKE_CURRENT_LIST_DIR}/retry_timeout.h
    ${CMAKE_CURRENT_LIST_DIR}/retry_timeout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reply_timer.h
    ${CMAKE_CURRENT_LIST_DIR}/reply_timer.cpp
)

target_sources(veltrix_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/transfer_progress_dlg.h
    ${CMAKE_CURRENT_LIST_DIR}/transfer_progress_dlg.cpp
    ${CMAKE_CURRENT_LIST_DIR}/transfer_presenter.h
    ${CMAKE_CURRENT_LIST_DIR}/transfer_presenter.cpp
)

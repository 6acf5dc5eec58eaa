target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/transfer_state.h
    ${CMAKE_CURRENT_LIST_DIR}/memory_transfer.h
    ${CMAKE_CURRENT_LIST_DIR}/memory_transfer.cpp
)

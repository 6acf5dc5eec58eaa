target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tuner_entry.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_entry.cpp
)

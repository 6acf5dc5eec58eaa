target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tuner_entry.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_entry.cpp
)
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/tuner_preset_file.h
    ${CMAKE_CURRENT_LIST_DIR}/tuner_preset_file.cpp
)

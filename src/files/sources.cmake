# Settings files: the format, its writer and reader, and which units may use them.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_format.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_format.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_writer.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_reader.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_gate.h
    ${CMAKE_CURRENT_LIST_DIR}/settings_file_gate.cpp
    ${CMAKE_CURRENT_LIST_DIR}/unit_write.h
)

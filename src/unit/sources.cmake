# The session with the unit: connection procedure, handshake and dispatch.
target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/unit_session.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/input_renamer.h
    ${CMAKE_CURRENT_LIST_DIR}/input_renamer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/unit_commands.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_commands.cpp
)

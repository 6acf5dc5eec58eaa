target_sources(veltrix_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/message_set.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_frame.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_frame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/line_transport.h
    ${CMAKE_CURRENT_LIST_DIR}/device_lock.h
    ${CMAKE_CURRENT_LIST_DIR}/device_lock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/serial_port.h
    ${CMAKE_CURRENT_LIST_DIR}/serial_port.cpp
    ${CMAKE_CURRENT_LIST_DIR}/unit_link.h
    ${CMAKE_CURRENT_LIST_DIR}/unit_link.cpp
    ${CMAKE_CURRENT_LIST_DIR}/protocol_trace.h
    ${CMAKE_CURRENT_LIST_DIR}/protocol_trace.cpp
)

target_sources(veltrix_test_support PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/pty_pair.h
    ${CMAKE_CURRENT_LIST_DIR}/pty_pair.cpp
    ${CMAKE_CURRENT_LIST_DIR}/scripted_unit.h
    ${CMAKE_CURRENT_LIST_DIR}/scripted_unit.cpp
)

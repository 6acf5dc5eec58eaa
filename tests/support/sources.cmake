target_sources(veltrix_test_support PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/test_bytes.h
    ${CMAKE_CURRENT_LIST_DIR}/test_files.h
    ${CMAKE_CURRENT_LIST_DIR}/transfer_results.h
    ${CMAKE_CURRENT_LIST_DIR}/event_wait.h
    ${CMAKE_CURRENT_LIST_DIR}/file_size_limit.h
    ${CMAKE_CURRENT_LIST_DIR}/sim_session.h
    ${CMAKE_CURRENT_LIST_DIR}/sim_process.h
    ${CMAKE_CURRENT_LIST_DIR}/screenshot.h
    ${CMAKE_CURRENT_LIST_DIR}/scripted_unit.h
    ${CMAKE_CURRENT_LIST_DIR}/scripted_unit.cpp
)
# The scripted unit stands on the simulated receiver's end of a pty.
target_link_libraries(veltrix_test_support PUBLIC veltrix_sim)

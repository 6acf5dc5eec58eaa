# Benchmarks: built with the project, run by hand (not by ctest).
#   build/bench_transfers   memory transfers against the simulated receiver
#                           pacing its line at 9600 baud
add_executable(bench_transfers ${CMAKE_CURRENT_LIST_DIR}/bench_transfers.cpp)
target_link_libraries(bench_transfers PRIVATE veltrix_sim veltrix_core veltrix_warnings)
# The event-loop wait shared with the tests (header only).
target_include_directories(bench_transfers PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
#   build/bench_settings_files  a whole Save Settings and Load Settings at 9600 baud
add_executable(bench_settings_files ${CMAKE_CURRENT_LIST_DIR}/bench_settings_files.cpp)
target_link_libraries(bench_settings_files PRIVATE veltrix_sim veltrix_core veltrix_warnings)
target_include_directories(bench_settings_files PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
#   build/bench_connect  start to connected with every fact of the unit at 9600 baud
add_executable(bench_connect ${CMAKE_CURRENT_LIST_DIR}/bench_connect.cpp)
target_link_libraries(bench_connect PRIVATE veltrix_sim veltrix_core veltrix_warnings)
target_include_directories(bench_connect PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
#   build/bench_footprint  idle CPU and resident memory of the real programs
add_executable(bench_footprint ${CMAKE_CURRENT_LIST_DIR}/bench_footprint.cpp)
target_link_libraries(bench_footprint PRIVATE veltrix_gui veltrix_warnings)
add_dependencies(bench_footprint veltrix-pc-interface veltrix veltrix-unit-sim)
#   build/bench_startup  process start to the control panel on screen
add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp)
target_link_libraries(bench_startup PRIVATE veltrix_gui veltrix_warnings)
#   build/bench_bad_line  a whole save on a clean line and on lines that lose frames or answer late
add_executable(bench_bad_line ${CMAKE_CURRENT_LIST_DIR}/bench_bad_line.cpp)
target_link_libraries(bench_bad_line PRIVATE veltrix_sim veltrix_core veltrix_warnings)
target_include_directories(bench_bad_line PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)

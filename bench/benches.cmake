# Benchmarks: built with the project, run by hand (not by ctest).
#   build/bench_transfers   memory transfers against the simulated receiver
#                           pacing its line at 9600 baud
add_executable(bench_transfers ${CMAKE_CURRENT_LIST_DIR}/bench_transfers.cpp)
target_link_libraries(bench_transfers PRIVATE veltrix_sim veltrix_core veltrix_warnings)
# The event-loop wait shared with the tests (header only).
target_include_directories(bench_transfers PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)

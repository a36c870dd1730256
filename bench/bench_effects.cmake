# Effect pass benchmarks: include() from the benchmark folder's CMakeLists.txt
# (needs the lumora_effects target and Google Benchmark).
find_package(benchmark REQUIRED)
add_executable(bench_effects ${CMAKE_CURRENT_LIST_DIR}/bench_effects.cpp)
target_link_libraries(bench_effects PRIVATE lumora_effects benchmark::benchmark)

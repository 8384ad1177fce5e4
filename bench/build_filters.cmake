# The tool output filters against a plain line split of the same bytes.
pm2_bench(pm2_bench_build_filters SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/build_filters.cpp LIBS pm2_build)

# The tool output filters over arbitrary capture bytes.
pm2_fuzzer(pm2_fuzz_build_filters SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/build_filters.cpp LIBS pm2_build)

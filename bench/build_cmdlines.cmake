# Compiler lines of 100,000 files against a plain snprintf baseline.
pm2_bench(pm2_bench_cmdlines
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/build_cmdlines.cpp
  LIBS pm2_build)

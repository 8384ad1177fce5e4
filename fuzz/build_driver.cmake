# Fuzz targets of the dependency preprocessor and the dependency-file reader.
pm2_fuzzer(pm2_fuzz_dep_preprocessor
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/dep_preprocessor_fuzz.cpp
  LIBS pm2_build)
pm2_fuzzer(pm2_fuzz_dep_file
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/dep_file_fuzz.cpp
  LIBS pm2_build)

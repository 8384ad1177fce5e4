# The build driver's up-to-date check against ninja and its dependency scan
# against arm-none-eabi-gcc -MM, on a generated 2,000-file project.
pm2_bench(pm2_bench_build_driver
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/build_driver.cpp
  LIBS pm2_build)

# The build driver's up-to-date check against ninja, its dependency scan
# against arm-none-eabi-gcc -MM, on a generated 2,000-file project, and a
# full build of 200 files against make -j1 with the same compiler lines.
pm2_bench(pm2_bench_build_driver
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/build_driver.cpp
  LIBS pm2_build)
if(TARGET pm2_bench_build_driver)
  target_compile_definitions(pm2_bench_build_driver PRIVATE PM2_BENCH_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
endif()

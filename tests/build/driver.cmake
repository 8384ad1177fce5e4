# Tests of the dependency preprocessor, the dependency file, the up-to-date
# tests and the build driver.
pm2_test(pm2_build_pp_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/pp_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/dep_test.cpp
  LIBS pm2_build)
if(TARGET pm2_build_pp_test)
  target_compile_definitions(pm2_build_pp_test PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
endif()
pm2_test(pm2_build_driver_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/driver_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/driver_tools_test.cpp
  LIBS pm2_build)
if(TARGET pm2_build_driver_test)
  target_compile_definitions(pm2_build_driver_test PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
  add_dependencies(pm2_build_driver_test pm2_standin pm2_vspawn)
endif()

# The build's file writers under a fault-injecting disk.
pm2_test(pm2_build_writer_faults_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/writer_faults_test.cpp
  LIBS pm2_build)
if(TARGET pm2_build_writer_faults_test)
  target_compile_definitions(pm2_build_writer_faults_test PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
endif()

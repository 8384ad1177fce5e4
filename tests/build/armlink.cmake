# Tests of the ARM command lines, key sequences and the link, library and
# hex steps; the end-to-end link runs Debian's arm-none-eabi tools when
# they are installed.
pm2_test(pm2_build_armlink_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/arm_command_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/keyseq_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/link_steps_test.cpp
  LIBS pm2_build)
if(TARGET pm2_build_armlink_test)
  target_compile_definitions(pm2_build_armlink_test PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
endif()

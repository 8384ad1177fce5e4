# Tests of the tool runner, its filters, environment, batch file, output
# lines and build log; the runner tests start the stand-in tools and the
# spawn helper as real child processes.
pm2_test(pm2_build_filters_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/output_filters_test.cpp
  LIBS pm2_build)
pm2_test(pm2_build_runner_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/command_line_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/progress_channel_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/tool_runner_test.cpp
  LIBS pm2_build)
if(TARGET pm2_build_runner_test)
  target_compile_definitions(pm2_build_runner_test PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
  add_dependencies(pm2_build_runner_test pm2_standin pm2_vspawn)
endif()
pm2_test(pm2_build_output_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/output_lines_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/tool_environment_test.cpp
  LIBS pm2_build)
if(TARGET pm2_build_output_test)
  target_compile_definitions(pm2_build_output_test PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
endif()

# The example project and the command-line build.
pm2_test(pm2_shell_example_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/example_project.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/example_project_test.cpp
  LIBS pm2_shell_cli)
pm2_test(pm2_shell_command_line_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/command_line_build_test.cpp
  LIBS pm2_shell_cli)
if(TARGET pm2_shell_command_line_test)
  add_dependencies(pm2_shell_command_line_test pelmora2)
endif()

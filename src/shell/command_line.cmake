# The command line of the program and the build it runs without a window.
pm2_library(pm2_shell_cli SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/command_line_build.cpp
  LIBS pm2_build pm2_project pm2_platform)

# Tool table, runner, child processes, environment, batch and trace files,
# output filters, output lines and the HTML build log.
pm2_library(pm2_build SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/batch_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/build_log.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/output_lines.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/command_line_split.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/output_filters.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/process_spawn.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/progress_channel.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tool_environment.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tool_environment_model.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tool_paths.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tool_runner.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tool_table.cpp
  LIBS pm2_project pm2_platform)

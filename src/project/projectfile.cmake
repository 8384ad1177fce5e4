# The project file and the options file: line grammar, key tables, reader
# and writer, debug lists, project open and the binary import.
pm2_library(pm2_project SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/project_lines.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project_key_tables.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project_keys.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/debug_lists.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project_file_writer.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project_file_reader.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/options_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/binary_project.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project_open.cpp
  LIBS pm2_platform)

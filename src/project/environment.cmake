# The environment file "TOOLS.INI": line grammar, start-up reader, editable
# model and writer.
pm2_library(pm2_project SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/environment_lines.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/environment.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/environment_file.cpp
  LIBS pm2_platform)

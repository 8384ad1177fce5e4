# Project records, option blocks and their defaults, device strings, KEY=value lists.
pm2_library(pm2_project SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/key_values.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/option_block.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/option_defaults.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/device_strings.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project_records.cpp)

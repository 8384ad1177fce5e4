# Pools, option string handles, the text scanner and the string helpers.
pm2_library(pm2_project SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/pool.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/opt_string.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/scanner.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/number_parse.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/path_text.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/control_strings.cpp)

# The text engine: buffer, undo, files, colouring, regular expressions.
pm2_library(pm2_editor_core SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/edit_line.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/edit_status.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/text_buffer.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/text_edit.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/undo_log.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/text_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/column_block.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/text_search.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/regexp.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/language.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/editor_keys.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/line_colours.cpp
  LIBS pm2_platform)

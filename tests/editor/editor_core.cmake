pm2_test(editor_core_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/text_buffer_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/undo_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/regexp_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/text_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/search_block_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/colouring_test.cpp
  LIBS pm2_editor_core)

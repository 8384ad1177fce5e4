# Renaming a file over another: the read-only decision.
pm2_test(editor_rename_file_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/rename_file_test.cpp
  LIBS pm2_editor_core)

pm2_test(toolkit_edits_test QT SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/list_edit_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/browse_edit_test.cpp
  LIBS pm2_toolkit_controls)

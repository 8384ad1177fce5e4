pm2_test(toolkit_core_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/framework_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_engine_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_icons_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/header_layout_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tree_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_box_editor_test.cpp
  LIBS pm2_toolkit_core)

# Qt widgets of the GUI toolkit's controls.
pm2_library(pm2_toolkit_controls QT SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/qt_bridge.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_edit.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_tip.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_view_impl.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_print.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_ctrl.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tree_ctrl.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_box_editor.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/browse_edit.cpp
  LIBS pm2_toolkit_core)
if(TARGET Qt6::PrintSupport)
  target_link_libraries(pm2_toolkit_controls PUBLIC Qt6::PrintSupport)
endif()

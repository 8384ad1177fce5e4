# Qt-free framework core and control models of the GUI toolkit.
set(_pm2_tk_rc ${CMAKE_SOURCE_DIR}/src/resources/toolkit.rc.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_pm2_tk_rc})
file(READ ${_pm2_tk_rc} PM2_TOOLKIT_RC_TEXT)
configure_file(${CMAKE_SOURCE_DIR}/src/resources/toolkit_resources.cpp.in
               ${CMAKE_BINARY_DIR}/generated/toolkit_resources.cpp @ONLY)

pm2_library(pm2_toolkit_core SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/sys_colors.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/commands.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/resources.cpp
  ${CMAKE_BINARY_DIR}/generated/toolkit_resources.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/text_measurer.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_item.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_engine_items.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_engine_layout.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_engine_input.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/header_layout.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_engine_icons.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tree_node.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/subitem_text_storage.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tree_engine.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/list_box_editor_model.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/file_system.cpp
)

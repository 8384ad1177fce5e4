# Window plug-in, off-screen painter, progress control, tab strips and tab
# windows.
pm2_library(pm2_toolkit_controls QT SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/wnd_plugin.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/mem_dc.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/progress_ctrl.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tab_controls.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tab_windows.cpp
  LIBS pm2_toolkit_core)

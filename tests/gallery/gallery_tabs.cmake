pm2_test(gallery_tabs QT SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/gallery_tabs.cpp
  LIBS pm2_toolkit_controls pm2_toolkit_core)

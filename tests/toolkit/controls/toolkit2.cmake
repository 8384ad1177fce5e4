pm2_test(toolkit2_controls_test QT SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/tab_windows_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/mem_dc_test.cpp
  LIBS pm2_toolkit_controls pm2_toolkit_core)

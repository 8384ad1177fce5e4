pm2_test(toolkit_controls_test QT SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/controls_test.cpp
  LIBS pm2_toolkit_controls)

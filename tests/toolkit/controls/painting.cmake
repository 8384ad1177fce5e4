pm2_test(toolkit_painting_test QT SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/painting_test.cpp
  LIBS pm2_toolkit_controls pm2_toolkit_core)

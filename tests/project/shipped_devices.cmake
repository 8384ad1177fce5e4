pm2_test(pm2_shipped_devices_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/shipped_devices_test.cpp
  LIBS pm2_project pm2_platform)

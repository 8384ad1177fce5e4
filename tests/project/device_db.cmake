pm2_test(pm2_device_db_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/device_db_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/device_db_source_test.cpp
  LIBS pm2_project)

# The device database file, its list in memory and its readable source.
pm2_library(pm2_project SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/device_db.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/device_db_source.cpp
  LIBS pm2_platform)

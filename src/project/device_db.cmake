# The device database file and its list in memory.
pm2_library(pm2_project SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/device_db.cpp LIBS pm2_platform)

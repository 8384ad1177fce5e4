pm2_library(pm2_project SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app_state.cpp LIBS pm2_platform)

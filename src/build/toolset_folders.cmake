pm2_library(pm2_build SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/toolset_folders.cpp LIBS pm2_project pm2_platform)

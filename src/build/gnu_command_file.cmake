pm2_library(pm2_build SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/gnu_command_file.cpp)

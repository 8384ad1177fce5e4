pm2_test(pm2_build_toolset_folders_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/toolset_folders_test.cpp
  LIBS pm2_build)

pm2_test(pm2_projectfile_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/projfile_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/optfile_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/binproj_test.cpp
  LIBS pm2_project)

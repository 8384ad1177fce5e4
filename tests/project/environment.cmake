pm2_test(project_environment_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/environment_test.cpp
  LIBS pm2_project)

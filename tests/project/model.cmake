pm2_test(pm2_project_model_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/option_block_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/device_strings_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/project_records_test.cpp
  LIBS pm2_project)

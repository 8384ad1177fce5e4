pm2_test(pm2_project_core_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/pool_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/opt_string_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/scanner_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/number_parse_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/path_text_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/control_strings_test.cpp
  LIBS pm2_project)

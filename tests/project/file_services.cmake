pm2_test(project_file_services_test
  SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/buffered_file_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/entry_stream_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/file_watcher_test.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/line_file_test.cpp
  LIBS pm2_project)

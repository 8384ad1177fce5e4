pm2_test(platform_files_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/atomic_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/win_path_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/mapped_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ini_file_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_store_test.cpp
  LIBS pm2_platform)

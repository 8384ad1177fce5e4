# Paths, atomic writes, mapped files, INI files and the settings store.
pm2_library(pm2_platform SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/win_path.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/atomic_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/mapped_file.cpp)
pm2_library(pm2_platform SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/ini_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/settings_store.cpp)

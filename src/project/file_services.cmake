# Installation paths, saving with backup, object-file entry streams, the
# project-file watcher and startup-file equates.
pm2_library(pm2_project SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/install_paths.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/buffered_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/entry_stream.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/file_watcher.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/line_file.cpp
  LIBS pm2_platform)

# Command lines and linker control files of the 51, 251 and 166 families,
# on the command context shared with the ARM lines.
pm2_library(pm2_build SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/command_context.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/command_lists.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/command_listing.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/link_ranges.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/n166_linker.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/n51_linker.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/q51_command.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/q166_command.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/w166_command.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/w51_command.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/yq166_command.cpp
  LIBS pm2_project)

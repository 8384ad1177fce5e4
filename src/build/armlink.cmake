# Command lines of the two ARM toolsets, key sequences of user commands,
# and the link, library and hex steps of every toolset.
pm2_library(pm2_build SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/arm_controls.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/arm_gnu_command.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/arm_ads_command.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/key_sequences.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/build_state.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/link_steps.cpp
  LIBS pm2_project pm2_platform)

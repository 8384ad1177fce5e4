pm2_test(toolkit2_core_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/color_math_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dib_image_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tab_strip_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/persistent_tree_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/bitmap_effects_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/registry_test.cpp
  LIBS pm2_toolkit_core pm2_platform)

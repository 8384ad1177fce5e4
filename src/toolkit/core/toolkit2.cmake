# Colour maths, visual-style layer, BMP images, tab strip models, registry
# wrapper and settings trees.
pm2_library(pm2_toolkit_core SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/color_math.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/theme.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dib_image.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tab_model.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/tab_layout.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/registry.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/persistent_tree.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/bitmap_effects.cpp
  LIBS pm2_platform)

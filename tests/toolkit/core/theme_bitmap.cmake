pm2_test(toolkit_theme_bitmap_test SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/theme_bitmap_test.cpp
  LIBS pm2_toolkit_core)

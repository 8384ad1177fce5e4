# The build driver: the dependency preprocessor, the dependency file, the
# up-to-date tests, the build state and the build and translation threads.
pm2_library(pm2_build SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/build_driver.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/dependency_file.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/up_to_date.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/preprocessor.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/preprocessor_expr.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/preprocessor_macros.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/preprocessor_tokens.cpp
  LIBS pm2_project pm2_platform)

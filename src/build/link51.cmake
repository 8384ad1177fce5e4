# Link steps of the 51, 251 and 166 families, their up-to-date test and
# the register-optimisation passes after linking.
pm2_library(pm2_build SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/link_output_check.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/link_51_steps.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/register_optimization.cpp
  LIBS pm2_project pm2_platform)

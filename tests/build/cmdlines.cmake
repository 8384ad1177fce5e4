# Tests of the command context and the command lines and linker control
# files of the 51, 251 and 166 families.
pm2_test(pm2_build_cmdlines_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/cmd_context_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/cmd_compiler_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/cmd_linker_test.cpp
  LIBS pm2_build)

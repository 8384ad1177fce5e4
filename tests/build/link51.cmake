# Tests of the 51, 251 and 166 link steps and the register-optimisation
# passes; one link runs the stand-in linker as a real child process.
pm2_test(pm2_build_link51_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/link51_steps_test.cpp
          ${CMAKE_CURRENT_SOURCE_DIR}/object_name_test.cpp
  LIBS pm2_build)
if(TARGET pm2_build_link51_test)
  target_compile_definitions(pm2_build_link51_test PRIVATE PM2_TEST_INSTALL_ROOT="${PM2_INSTALL_ROOT}")
  add_dependencies(pm2_build_link51_test pm2_standin pm2_vspawn)
endif()

# The spawn helper, installed beside the IDE as "VSPAWN.EXE".
add_executable(pm2_vspawn ${CMAKE_CURRENT_SOURCE_DIR}/vspawn/vspawn.cpp)
target_compile_options(pm2_vspawn PRIVATE ${PM2_WARNINGS})
target_link_libraries(pm2_vspawn PRIVATE pm2_build)
set_target_properties(pm2_vspawn PROPERTIES OUTPUT_NAME "VSPAWN.EXE"
  RUNTIME_OUTPUT_DIRECTORY ${PM2_PROGRAM_DIR})
install(TARGETS pm2_vspawn DESTINATION PM2)

# The pelmora2 executable, placed in the program folder of the build tree's
# installation root beside the spawn helper.
add_executable(pelmora2 ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_compile_options(pelmora2 PRIVATE ${PM2_WARNINGS})
target_include_directories(pelmora2 PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(pelmora2 PRIVATE pm2_shell_cli pthread)
add_dependencies(pelmora2 pm2_vspawn)
set_target_properties(pelmora2 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PM2_PROGRAM_DIR})
install(TARGETS pelmora2 DESTINATION PM2)

# Stand-ins of the 51, 251, 166, ARM-ADS and GNU tools for tests, copied
# into tool folders of the build tree's installation root under each
# tool's name.
add_executable(pm2_standin ${CMAKE_CURRENT_SOURCE_DIR}/standin/standin.cpp)
target_compile_options(pm2_standin PRIVATE ${PM2_WARNINGS})
target_link_libraries(pm2_standin PRIVATE pm2_build)
set(PM2_STANDIN_FOLDERS
  "C51/BIN:Q51.EXE W51.EXE NB51.EXE HZ51.EXE JQ51.EXE QX51.EXE WX51.EXE NX51.EXE HZX51.EXE ZZQ51.EXE NP51.EXE"
  "C251/BIN:Q251.EXE W251.EXE N251.EXE HZ251.EXE"
  "C166/BIN:Q166.EXE W166.EXE N166.EXE HZ166.EXE YQ166.EXE Q66.EXE W66.EXE N66.EXE"
  "ARM/ADS/BIN:ArmCC ArmAsm ArmLink fromelf.exe Tcc"
  "ARM/GNU/bin:arm-uclibc-gcc arm-uclibc-as arm-uclibc-objcopy")
foreach(_entry ${PM2_STANDIN_FOLDERS})
  string(REPLACE ":" ";" _parts "${_entry}")
  list(GET _parts 0 _folder)
  list(GET _parts 1 _names)
  separate_arguments(_names)
  foreach(_name ${_names})
    add_custom_command(TARGET pm2_standin POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PM2_INSTALL_ROOT}/${_folder}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:pm2_standin>
              ${PM2_INSTALL_ROOT}/${_folder}/${_name})
  endforeach()
endforeach()

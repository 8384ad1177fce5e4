# The device database generator and the generic database of the build
# tree's installation root, made from src/resources/devices.txt. The
# generic database is the program's path with the extension "cdb", where
# the start-up environment looks for it.
add_executable(pm2_devdb ${CMAKE_CURRENT_SOURCE_DIR}/devdb/main.cpp)
target_compile_options(pm2_devdb PRIVATE ${PM2_WARNINGS})
target_link_libraries(pm2_devdb PRIVATE pm2_project)

set(PM2_DEVICE_DB_SOURCE ${CMAKE_SOURCE_DIR}/src/resources/devices.txt)
set(PM2_DEVICE_DB_FILE ${PM2_PROGRAM_DIR}/pelmora2.cdb)
add_custom_command(
  OUTPUT ${PM2_DEVICE_DB_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PM2_PROGRAM_DIR}
  COMMAND pm2_devdb ${PM2_DEVICE_DB_SOURCE} ${PM2_DEVICE_DB_FILE}
  DEPENDS pm2_devdb ${PM2_DEVICE_DB_SOURCE}
  COMMENT "Generating the device database PM2/pelmora2.cdb"
  VERBATIM)
add_custom_target(pm2_device_db ALL DEPENDS ${PM2_DEVICE_DB_FILE})
install(FILES ${PM2_DEVICE_DB_FILE} DESTINATION PM2)

# The toolkit gallery: pictures of every control in its typical states.
if(PM2_WITH_QT)
  add_executable(toolkit_gallery
    ${CMAKE_CURRENT_SOURCE_DIR}/gallery.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/gallery_extra.cpp)
  target_compile_options(toolkit_gallery PRIVATE ${PM2_WARNINGS})
  target_include_directories(toolkit_gallery PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(toolkit_gallery PRIVATE pm2_toolkit_controls)
  add_test(NAME toolkit_gallery COMMAND toolkit_gallery ${CMAKE_BINARY_DIR}/gallery)
  set_tests_properties(toolkit_gallery PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endif()

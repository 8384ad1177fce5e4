pm2_fuzzer(project_file_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/project_file_fuzz.cpp LIBS pm2_project)
pm2_fuzzer(options_file_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/options_file_fuzz.cpp LIBS pm2_project)
pm2_fuzzer(binary_project_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/binary_project_fuzz.cpp LIBS pm2_project)

pm2_fuzzer(project_core_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/project_core_fuzz.cpp LIBS pm2_project)

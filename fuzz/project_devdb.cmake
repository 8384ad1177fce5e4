pm2_fuzzer(project_devdb_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/project_devdb_fuzz.cpp LIBS pm2_project)

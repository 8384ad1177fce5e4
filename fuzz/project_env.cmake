pm2_fuzzer(project_env_toolsini_fuzz
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/project_env_toolsini_fuzz.cpp LIBS pm2_project)
pm2_fuzzer(project_env_entries_fuzz
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/project_env_entries_fuzz.cpp LIBS pm2_project)

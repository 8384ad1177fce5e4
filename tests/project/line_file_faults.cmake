# Startup-file equates rewritten on a fault-injecting disk.
pm2_test(project_line_file_faults_test
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/line_file_faults_test.cpp
  LIBS pm2_project)

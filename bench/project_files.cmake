# Reading and writing a large project file against a plain line split of
# the same bytes.
pm2_bench(pm2_bench_project_files SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/project_files.cpp LIBS pm2_project)

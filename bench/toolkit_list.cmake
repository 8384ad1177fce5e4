pm2_bench(toolkit_list_bench QT SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/toolkit_list_bench.cpp LIBS pm2_toolkit_controls)

pm2_fuzzer(toolkit_resources_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/toolkit_resources_fuzz.cpp LIBS pm2_toolkit_core)
pm2_fuzzer(toolkit_list_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/toolkit_list_fuzz.cpp LIBS pm2_toolkit_core)

pm2_fuzzer(toolkit2_bmp_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/toolkit2_bmp_fuzz.cpp LIBS pm2_toolkit_core pm2_platform)
pm2_fuzzer(toolkit2_ptn_ini_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/toolkit2_ptn_ini_fuzz.cpp LIBS pm2_toolkit_core pm2_platform)

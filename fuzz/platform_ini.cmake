pm2_fuzzer(platform_ini_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_ini_fuzz.cpp LIBS pm2_platform)

pm2_fuzzer(platform_settings_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_settings_fuzz.cpp LIBS pm2_platform)

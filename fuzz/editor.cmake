pm2_fuzzer(editor_regex_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/editor_regex_fuzz.cpp LIBS pm2_editor_core)
pm2_fuzzer(editor_load_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/editor_load_fuzz.cpp LIBS pm2_editor_core)

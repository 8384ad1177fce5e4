pm2_bench(editor_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/editor_bench.cpp LIBS pm2_editor_core)

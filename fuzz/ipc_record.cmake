pm2_fuzzer(ipc_record_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ipc_record_fuzz.cpp LIBS pm2_ipc)

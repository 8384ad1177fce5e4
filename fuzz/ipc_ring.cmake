pm2_fuzzer(ipc_ring_fuzz SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ipc_ring_fuzz.cpp LIBS pm2_ipc)

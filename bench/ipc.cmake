# The event transport between two processes against Unix-domain sockets.
pm2_bench(pm2_ipc_bench SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/ipc_bench.cpp LIBS pm2_ipc)

# Tests of the inter-process event interface.
pm2_test(pm2_ipc_tests SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/event_encoding_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/event_catalog_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/event_dispatcher_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_ring_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_interface_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_semaphore_test.cpp
  LIBS pm2_ipc)

# Peer programs of the two-process tests, built beside them.
add_executable(ipc_test_peer ${CMAKE_CURRENT_SOURCE_DIR}/ipc_test_peer.cpp)
target_compile_options(ipc_test_peer PRIVATE ${PM2_WARNINGS})
target_link_libraries(ipc_test_peer PRIVATE pm2_ipc pthread)
add_executable(ipc_peer_client ${CMAKE_CURRENT_SOURCE_DIR}/ipc_peer_client.cpp)
target_compile_options(ipc_peer_client PRIVATE ${PM2_WARNINGS})
target_link_libraries(ipc_peer_client PRIVATE pm2_platform)

pm2_test(pm2_ipc_transport_tests SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_transport_test.cpp
  LIBS pm2_ipc)
add_dependencies(pm2_ipc_transport_tests ipc_test_peer ipc_peer_client)

# Tests of the inter-process event interface.
pm2_test(pm2_ipc_tests SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/event_encoding_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/event_catalog_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/event_dispatcher_test.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_ring_test.cpp
  LIBS pm2_ipc)

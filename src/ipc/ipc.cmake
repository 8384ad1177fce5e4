# The inter-process event interface (Qt-free).
pm2_library(pm2_ipc SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/payload_codec.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/event_factory.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/event_catalog.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/event_dispatcher.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_ring.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_transport.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_interface.cpp
  LIBS pm2_platform)

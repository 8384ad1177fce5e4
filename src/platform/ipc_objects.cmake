# POSIX objects of the inter-process event interface.
pm2_library(pm2_platform SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_namespace.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_file_lock.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_semaphore.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shm_region.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ipc_objects.cpp
  LIBS pthread rt)

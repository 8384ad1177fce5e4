# Header-only pieces of the platform layer give the library its first source.
pm2_library(pm2_platform SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/notification_hub.cpp)

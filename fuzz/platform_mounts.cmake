zel_add_fuzzer(platform_mounts SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/platform_mounts.cpp LIBS device_platform)

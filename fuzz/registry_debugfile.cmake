zel_add_fuzzer(registry_debugfile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/registry_debugfile.cpp LIBS device_registry)

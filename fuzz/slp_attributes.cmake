zel_add_fuzzer(slp_attributes SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/slp_attributes.cpp LIBS device_discovery device_device)

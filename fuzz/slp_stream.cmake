zel_add_fuzzer(slp_stream SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/slp_stream.cpp LIBS device_slp)

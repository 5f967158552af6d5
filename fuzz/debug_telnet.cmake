zel_add_fuzzer(debug_telnet SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/debug_telnet.cpp LIBS device_debug)

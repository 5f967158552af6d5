zel_add_fuzzer(debug_session SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/debug_session.cpp LIBS device_debug)

zel_add_fuzzer(slp_message SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/slp_message.cpp LIBS device_slp)

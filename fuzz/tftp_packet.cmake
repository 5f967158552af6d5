zel_add_fuzzer(tftp_packet SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tftp_packet.cpp LIBS device_tftp)

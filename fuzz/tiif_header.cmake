zel_add_fuzzer(tiif_header SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tiif_header.cpp LIBS device_upload)

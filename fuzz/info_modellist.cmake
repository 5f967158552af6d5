zel_add_fuzzer(info_modellist SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/info_modellist.cpp LIBS device_info)

zel_add_fuzzer(syslog_files SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/syslog_files.cpp LIBS device_syslog)

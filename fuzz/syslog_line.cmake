zel_add_fuzzer(syslog_line SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/syslog_line.cpp LIBS device_syslog)

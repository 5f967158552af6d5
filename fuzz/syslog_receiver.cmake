zel_add_fuzzer(syslog_receiver SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/syslog_receiver.cpp LIBS device_syslog)

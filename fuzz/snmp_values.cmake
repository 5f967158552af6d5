zel_add_fuzzer(snmp_values SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/snmp_values.cpp LIBS device_snmp)

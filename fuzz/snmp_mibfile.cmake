zel_add_fuzzer(snmp_mibfile SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/snmp_mibfile.cpp LIBS device_snmp)
target_compile_definitions(fuzz_snmp_mibfile PRIVATE ZEL_MIB_DIR="${ZEL_SOURCE_RES_DIR}/mibs")

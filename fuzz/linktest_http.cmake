zel_add_fuzzer(linktest_http SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/linktest_http.cpp LIBS device_linktest)

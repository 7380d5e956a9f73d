qtm_test(mpro_typelist_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/bench/mpro_typelist_test.cpp
  LIBS qtm_bench qtm_testsupport TIMEOUT 60)

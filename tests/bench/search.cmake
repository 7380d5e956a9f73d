qtm_test(search_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/bench/search_test.cpp
  LIBS qtm_bench qtm_testsupport TIMEOUT 60)

qtm_test(search_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/bench/search_test.cpp
  LIBS qtm_bench qtm_testsupport TIMEOUT 60)
qtm_test(search_window_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/bench/search_window_test.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 60)

qtm_test(service_window_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/bench/service_window_test.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 60)

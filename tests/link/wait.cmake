qtm_test(wait_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/wait_test.cpp
  LIBS qtm_link
  TIMEOUT 60)

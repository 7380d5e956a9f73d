qtm_test(e2e_journal_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/e2e/e2e_journal_test.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/benchrig.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 300)

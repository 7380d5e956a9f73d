qtm_test(journal_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/journal/journal_test.cpp ${CMAKE_SOURCE_DIR}/tests/journal/pgcluster.h
  LIBS qtm_journal qtm_testsupport TIMEOUT 240)

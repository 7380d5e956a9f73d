# The exchange monitor: its bounded list, its window and its place in the main window.
qtm_test(tst_exchangemonitor
  SOURCES ${CMAKE_SOURCE_DIR}/tests/exchange/tst_exchangemonitor.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_exchange qtm_testsupport TIMEOUT 60)

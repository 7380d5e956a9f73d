qtm_test(tst_shell_settingssave
  SOURCES ${CMAKE_SOURCE_DIR}/tests/shell/tst_settingssave.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 60)

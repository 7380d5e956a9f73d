qtm_test(inifile_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/inifile_test.cpp
  LIBS qtm_link qtm_testsupport)

qtm_test(canal_dialog_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/canal_dialog_test.cpp
  LIBS qtm_link qtm_testsupport TIMEOUT 60)
qtm_test(canal_priority_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/canal_priority_test.cpp
  LIBS qtm_link TIMEOUT 60)

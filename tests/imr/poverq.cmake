qtm_test(imr_poverq_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/imr/poverq_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/imr/scriptedimr.h
  LIBS qtm_imr qtm_testsupport
  TIMEOUT 60)

qtm_test(imr_logic_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/imr/imr_logic_test.cpp
  LIBS qtm_imr)
qtm_test(imr_sequences_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/imr/imr_sequences_test.cpp
          ${CMAKE_SOURCE_DIR}/tests/imr/scriptedimr.h
  LIBS qtm_imr qtm_testsupport
  TIMEOUT 120)
if(TARGET qtm_sim)
  qtm_test(imr_sim_test
    SOURCES ${CMAKE_SOURCE_DIR}/tests/imr/imr_sim_test.cpp
    LIBS qtm_imr qtm_sim qtm_testsupport
    TIMEOUT 120)
endif()

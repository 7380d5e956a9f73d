qtm_test(imr_logic_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/imr/imr_logic_test.cpp
  LIBS qtm_imr)

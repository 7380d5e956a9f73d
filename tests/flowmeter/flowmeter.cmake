qtm_test(tst_flowmetersetup
  SOURCES ${CMAKE_SOURCE_DIR}/tests/flowmeter/tst_flowmetersetup.cpp ${CMAKE_SOURCE_DIR}/tests/flowmeter/flowmeterfixture.h
  LIBS qtm_flowmeter qtm_testsupport TIMEOUT 60)
qtm_test(tst_flowmeterexchange
  SOURCES ${CMAKE_SOURCE_DIR}/tests/flowmeter/tst_flowmeterexchange.cpp ${CMAKE_SOURCE_DIR}/tests/flowmeter/flowmeterfixture.h
  LIBS qtm_flowmeter qtm_testsupport TIMEOUT 60)
qtm_test(tst_flowwindows
  SOURCES ${CMAKE_SOURCE_DIR}/tests/flowmeter/tst_flowwindows.cpp ${CMAKE_SOURCE_DIR}/tests/flowmeter/flowmeterfixture.h
  LIBS qtm_flowmeter qtm_testsupport TIMEOUT 60)

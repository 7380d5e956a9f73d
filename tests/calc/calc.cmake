qtm_test(calc_math_test SOURCES ${CMAKE_SOURCE_DIR}/tests/calc/calc_math_test.cpp LIBS qtm_calc)
qtm_test(calc_window_test SOURCES ${CMAKE_SOURCE_DIR}/tests/calc/calc_window_test.cpp
         LIBS qtm_calc qtm_testsupport)

# Settings and totals beyond what the simulated devices can represent.
qtm_test(tst_simlimits SOURCES ${CMAKE_SOURCE_DIR}/tests/sim/tst_simlimits.cpp LIBS qtm_sim)

# qtm-bench-sim --trace as a process.
qtm_test(tst_simtrace SOURCES ${CMAKE_SOURCE_DIR}/tests/sim/tst_simtrace.cpp LIBS Qt6::Network TIMEOUT 60)
add_dependencies(tst_simtrace qtm-bench-sim)

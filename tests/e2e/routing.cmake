qtm_test(e2e_routing_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/e2e/e2e_routing_test.cpp ${CMAKE_SOURCE_DIR}/tests/e2e/benchrig.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 180)
add_dependencies(e2e_routing_test qtm-bench-sim)

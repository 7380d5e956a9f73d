qtm_test(protocol_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/protocol/protocol_test.cpp
  LIBS qtm_protocol TIMEOUT 60)
qtm_test(autorun_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/protocol/autorun_test.cpp
  LIBS qtm_protocol TIMEOUT 60)

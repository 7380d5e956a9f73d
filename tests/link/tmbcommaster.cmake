# The real task server client against the pymodbus peer, over TCP and over RTU.
foreach(_t tcp rtu)
  qtm_test(tmbcommaster_${_t}
    SOURCES ${CMAKE_SOURCE_DIR}/tests/link/tmbcommaster_test.cpp
            ${CMAKE_SOURCE_DIR}/tests/link/tmbcommaster_peer.cpp
            ${CMAKE_SOURCE_DIR}/tests/link/tmbcommaster_peer.h
    LIBS qtm_link TIMEOUT 180)
  target_compile_definitions(tmbcommaster_${_t} PRIVATE
    QTM_PEER_SCRIPT="${CMAKE_SOURCE_DIR}/tests/link/peer_modbus.py")
endforeach()
target_compile_definitions(tmbcommaster_rtu PRIVATE PEER_RTU)
qtm_test(tmbcommaster_values
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/tmbcommaster_values.cpp
  LIBS qtm_link)
qtm_test(tmbcommaster_hostile
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/tmbcommaster_hostile_test.cpp
  LIBS qtm_link Qt6::Network TIMEOUT 120)

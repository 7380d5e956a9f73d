# The exchange records of the real client against the pymodbus peer, over TCP and RTU.
foreach(_t tcp rtu)
  qtm_test(exchangerecord_${_t}
    SOURCES ${CMAKE_SOURCE_DIR}/tests/link/exchangerecord_test.cpp
            ${CMAKE_SOURCE_DIR}/tests/link/tmbcommaster_peer.cpp
            ${CMAKE_SOURCE_DIR}/tests/link/tmbcommaster_peer.h
    LIBS qtm_link TIMEOUT 120)
  target_compile_definitions(exchangerecord_${_t} PRIVATE
    QTM_PEER_SCRIPT="${CMAKE_SOURCE_DIR}/tests/link/peer_modbus.py")
endforeach()
target_compile_definitions(exchangerecord_rtu PRIVATE PEER_RTU)

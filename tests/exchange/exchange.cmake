# The exchange monitor: its bounded list, its window and its place in the main window.
qtm_test(tst_exchangemonitor
  SOURCES ${CMAKE_SOURCE_DIR}/tests/exchange/tst_exchangemonitor.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_exchange qtm_testsupport TIMEOUT 60)
# The monitor's rows against the frames the simulated bench traced, over TCP and RTU.
qtm_test(tst_exchangewire
  SOURCES ${CMAKE_SOURCE_DIR}/tests/exchange/tst_exchangewire.cpp
  LIBS qtm_exchange qtm_testsupport TIMEOUT 120)
add_dependencies(tst_exchangewire qtm-bench-sim)
# A screen reader on the filling list: in a desktop session with the accessibility bus.
find_program(QTM_XVFB Xvfb)
find_program(QTM_DBUS_RUN_SESSION dbus-run-session)
if(QTM_XVFB AND QTM_DBUS_RUN_SESSION)
  qtm_test(tst_exchangereader
    SOURCES ${CMAKE_SOURCE_DIR}/tests/exchange/tst_exchangereader.cpp
    LIBS qtm_exchange TIMEOUT 90
    WRAP bash ${CMAKE_SOURCE_DIR}/tests/e2e/atspi_session.sh 80)
endif()

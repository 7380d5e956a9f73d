# The road of one imitation through the accessibility tree, in a private X and
# D-Bus session (Xvfb, dbus-run-session, the AT-SPI bus), with a real pointer.
find_program(QTM_XVFB Xvfb)
find_program(QTM_DBUS_RUN_SESSION dbus-run-session)
find_program(QTM_XDOTOOL xdotool)
if(QTM_XVFB AND QTM_DBUS_RUN_SESSION AND QTM_XDOTOOL AND EXISTS /usr/lib/python3/dist-packages/pyatspi)
  add_test(NAME e2e_atspi_road
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/atspi_session.sh 240
            /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/atspi_road.py $<TARGET_FILE:qtm-monitor>
            ${CMAKE_BINARY_DIR}/atspi_config_page.png)
  set_tests_properties(e2e_atspi_road PROPERTIES TIMEOUT 270)
else()
  message(WARNING "e2e_atspi_road not built: needs Xvfb, dbus-run-session, xdotool and python3-pyatspi")
endif()

# Installation and the Debian package: `cpack -G DEB` in the build folder.
include(GNUInstallDirs)

install(TARGETS qtm-monitor qtm-bench-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/packaging/qtm-monitor.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${QTM_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/qtm-monitor-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME qtm-monitor.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qtm-monitor)
set(CPACK_PACKAGE_VERSION ${CMAKE_PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Тевор")
set(CPACK_PACKAGE_CONTACT "Монитор ЦТМ-01 <qtm-monitor@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Монитор ЦТМ-01: operator program of the flowmeter verification bench")
set(CPACK_PACKAGE_DESCRIPTION
    "Operator program of the ЦТМ bench that verifies ultrasonic flowmeters: flow-rate and volume\n"
    "imitation with the ИМР, pulse counting with the УСИ, current measurement with the ИПТ and\n"
    "the flowmeter under test, all over Modbus. Includes the simulated bench qtm-bench-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The xcb platform plugin is only recommended by the Qt libraries, but the program cannot start without one;
# Qt's own Russian texts make the standard dialogs speak the program's language. The journal's database
# drivers are plugins that the shared library scan cannot see.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, libqt6sql6-sqlite, libqt6sql6-psql")
include(CPack)

# Builds the Debian package and checks it: file list, dependencies, desktop entry,
# the installed monitor's version and settings folder.
find_program(QTM_DPKG_DEB dpkg-deb)
if(QTM_DPKG_DEB)
  add_test(NAME tst_auxiliary_package
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/auxiliary/package_test.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(tst_auxiliary_package PROPERTIES TIMEOUT 300)
endif()

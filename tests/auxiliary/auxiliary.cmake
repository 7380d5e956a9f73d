find_program(QTM_WINDRES NAMES x86_64-w64-mingw32-windres windres)
if(NOT QTM_WINDRES)
  set(QTM_WINDRES "")
endif()
qtm_test(tst_auxiliary_verinfo
  SOURCES ${CMAKE_SOURCE_DIR}/tests/auxiliary/verinfo_test.cpp
  LIBS qtm_auxiliary qtm_testsupport TIMEOUT 90)
add_dependencies(tst_auxiliary_verinfo qtm-monitor)
target_compile_definitions(tst_auxiliary_verinfo PRIVATE
  QTM_MONITOR_PATH="$<TARGET_FILE:qtm-monitor>"
  QTM_SOURCE_FILE="${CMAKE_SOURCE_DIR}/tests/auxiliary/verinfo_test.cpp"
  QTM_WINDRES="${QTM_WINDRES}"
  QTM_VERSION_RC="${CMAKE_BINARY_DIR}/src/auxiliary/versioninfo.rc")

qtm_test(tst_auxiliary_windows
  SOURCES ${CMAKE_SOURCE_DIR}/tests/auxiliary/windows_test.cpp
  LIBS qtm_shell qtm_testsupport TIMEOUT 90)

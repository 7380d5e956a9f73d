qtm_test(tst_shell_mainfrm
  SOURCES ${CMAKE_SOURCE_DIR}/tests/shell/tst_mainfrm.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 90)
qtm_test(tst_shell_benchrouting
  SOURCES ${CMAKE_SOURCE_DIR}/tests/shell/tst_benchrouting.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 60)
qtm_test(tst_shell_shutdown
  SOURCES ${CMAKE_SOURCE_DIR}/tests/shell/tst_shutdown.cpp
  LIBS Qt6::Core TIMEOUT 120)
add_dependencies(tst_shell_shutdown qtm-monitor)
target_compile_definitions(tst_shell_shutdown PRIVATE QTM_MONITOR_PATH="$<TARGET_FILE:qtm-monitor>")
qtm_test(tst_shell_appearance
  SOURCES ${CMAKE_SOURCE_DIR}/tests/shell/tst_appearance.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 60)

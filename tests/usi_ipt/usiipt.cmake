qtm_test(tst_usiipt_volume
  SOURCES ${CMAKE_SOURCE_DIR}/tests/usi_ipt/tst_usiipt_volume.cpp ${CMAKE_SOURCE_DIR}/tests/shell/mainfixture.h
  LIBS qtm_shell qtm_testsupport TIMEOUT 60)

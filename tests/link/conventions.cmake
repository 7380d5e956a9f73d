qtm_test(conventions_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/conventions_test.cpp
  LIBS qtm_link)
qtm_test(conventions_widgets_test
  SOURCES ${CMAKE_SOURCE_DIR}/tests/link/conventions_widgets_test.cpp
  LIBS qtm_link qtm_testsupport)

# Every source of src/ and sim/ compiled for Windows with MinGW-w64 (syntax only)
# against the Qt headers and this build's generated headers, so code that builds
# on Linux only cannot come back unnoticed. The script finds the sources itself.
set(_win_qt_dirs)
foreach(_m Core Gui Widgets Network SerialBus SerialPort PrintSupport Sql Charts)
  get_target_property(_d Qt6::${_m} INTERFACE_INCLUDE_DIRECTORIES)
  list(APPEND _win_qt_dirs ${_d})
endforeach()
list(REMOVE_DUPLICATES _win_qt_dirs)
list(FILTER _win_qt_dirs EXCLUDE REGEX "mkspecs") # Linux's qplatformdefs.h
string(REPLACE ";" ":" _win_qt_path "${_win_qt_dirs}")
add_test(NAME windows_syntax COMMAND bash ${CMAKE_SOURCE_DIR}/tests/platform/windows_syntax.sh)
set_tests_properties(windows_syntax PROPERTIES TIMEOUT 900 PROCESSORS 2
  ENVIRONMENT "QTM_SOURCE_DIR=${CMAKE_SOURCE_DIR};QTM_BINARY_DIR=${CMAKE_BINARY_DIR};QTM_QT_INCLUDES=${_win_qt_path}")

# qtm_library(NAME DEPS...): a static library of every .cpp/.h/.ui in the
# calling folder. Globbing keeps parallel work on separate folders from
# colliding in one list of files. DEPS are the only other folders it may include.
function(qtm_library name)
  file(GLOB _src CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.ui
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  if(NOT _src)
    add_library(${name} INTERFACE)
    return()
  endif()
  add_library(${name} STATIC ${_src})
  # A library sees only its own folder and the folders of the libraries it links
  # (and theirs): an include of any other folder does not compile. Each library
  # gets an include folder holding a link to its own source folder.
  get_filename_component(_folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(_inc ${CMAKE_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${_inc})
  file(REMOVE ${_inc}/${_folder})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${_inc}/${_folder} SYMBOLIC RESULT _linked)
  if(_linked EQUAL 0)
    target_include_directories(${name} PUBLIC ${_inc})
  else()
    # Where no symbolic link can be made, the build works unchecked.
    message(WARNING "${name}: no link in ${_inc} (${_linked}); its includes are not checked")
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  endif()
  target_link_libraries(${name} PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets ${ARGN})
endfunction()

# qtm_test(NAME SOURCES... LIBS ... [WRAP command...]): one Qt Test executable
# registered with CTest, run offscreen with its own settings folder (or by WRAP,
# which gets the executable as its last argument).
function(qtm_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;WRAP" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${T_WRAP} $<TARGET_FILE:${name}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTM_SOURCE_DIR=${CMAKE_SOURCE_DIR};QTM_BINARY_DIR=${CMAKE_BINARY_DIR}")
endfunction()

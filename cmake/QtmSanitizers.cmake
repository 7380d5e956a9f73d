# QTM_SANITIZE: everything built with AddressSanitizer and UndefinedBehaviorSanitizer
# (g++ or clang); CI builds the fuzz replays and the pure-logic tests this way.
# QTM_FUZZ: clang with libFuzzer for the targets in fuzz/ (see fuzz/README.md).
option(QTM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QTM_FUZZ "Build the libFuzzer targets in fuzz/ (needs clang)" OFF)

if(QTM_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "QTM_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
if(QTM_SANITIZE OR QTM_FUZZ)
  # g++ leaves float-cast-overflow out of "undefined"; an out-of-range float to
  # integer conversion is exactly what we want caught.
  set(_qtm_san -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)
  add_compile_options(${_qtm_san} -fno-omit-frame-pointer)
  add_link_options(${_qtm_san})
endif()
if(QTM_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
  # The warnings the build is held to are g++'s; clang's own ones do not stop a fuzzing run.
  add_compile_options(-Wno-error)
endif()

# The simulated bench: its devices in-process, and the executable through real clients.
qtm_test(tst_simdevices SOURCES ${CMAKE_SOURCE_DIR}/tests/sim/tst_simdevices.cpp LIBS qtm_sim)
qtm_test(tst_simline SOURCES ${CMAKE_SOURCE_DIR}/tests/sim/tst_simline.cpp LIBS qtm_sim)
qtm_test(tst_simprocess SOURCES ${CMAKE_SOURCE_DIR}/tests/sim/tst_simprocess.cpp
         LIBS Qt6::SerialBus Qt6::SerialPort Qt6::Network TIMEOUT 180)
add_dependencies(tst_simprocess qtm-bench-sim)
qtm_test(tst_demobench SOURCES ${CMAKE_SOURCE_DIR}/tests/sim/tst_demobench.cpp LIBS qtm_sim Qt6::SerialBus)

# The end-to-end tests start the server program; in a cross build they run
# it through the same emulator as themselves, named in SERVER_TEST_EMULATOR.
if(CMAKE_CROSSCOMPILING_EMULATOR)
  string(JOIN " " server_test_emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
  file(GLOB server_e2e_tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*_e2e_test.cpp)
  foreach(src ${server_e2e_tests})
    get_filename_component(name ${src} NAME_WE)
    # The tests exist only at the end of the directory; a deferred call
    # sees the variables of that time, so the values are written into it.
    cmake_language(EVAL CODE "cmake_language(DEFER CALL set_property TEST ${name} APPEND PROPERTY ENVIRONMENT
                   [[SERVER_TEST_EMULATOR=${server_test_emulator}]])")
  endforeach()
endif()

# The heartbeat end-to-end test waits out the real server's 120000 ms on the
# real clock, the one test that does; the same behaviour is tested in process
# on the test clock in every configuration. It runs in the normal build only
# (labelled real-clock, so `ctest -LE real-clock` leaves it out there too).
if(SERVER_SANITIZE OR CMAKE_CROSSCOMPILING)
  set(server_real_clock_default OFF)
else()
  set(server_real_clock_default ON)
endif()
option(SERVER_REAL_CLOCK_TESTS "Run the end-to-end test that waits out the real heartbeat" ${server_real_clock_default})
if(SERVER_REAL_CLOCK_TESTS)
  cmake_language(DEFER CALL set_tests_properties heartbeat_e2e_test PROPERTIES LABELS real-clock)
else()
  cmake_language(DEFER CALL set_tests_properties heartbeat_e2e_test PROPERTIES LABELS real-clock DISABLED TRUE)
endif()

# The end-to-end tests of server-sim script its board through the control
# socket with the simulator's client.
foreach(t server_sim_e2e_test e1_sim_e2e_test)
  set(SERVER_TEST_EXTRA_${t} sim)
endforeach()

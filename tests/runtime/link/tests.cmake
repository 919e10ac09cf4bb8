# The end-to-end tests start tools/tpkt_echo themselves; in a cross build
# they run it through the same emulator as the tests. The tests are made
# after this file is read, so the setting waits for the end of the
# directory (a deferred call sees variables as they are then, so the values
# are written into it now).
if(CMAKE_CROSSCOMPILING_EMULATOR)
  list(JOIN CMAKE_CROSSCOMPILING_EMULATOR " " server_test_emulator)
  foreach(test tpkt_echo_e2e_test tpkt_echo_stalled_client_e2e_test)
    cmake_language(EVAL CODE "cmake_language(DEFER CALL set_property TEST ${test} APPEND PROPERTY ENVIRONMENT
                              \"SERVER_TEST_EMULATOR=${server_test_emulator}\")")
  endforeach()
endif()

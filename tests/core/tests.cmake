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

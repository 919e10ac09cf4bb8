# The codec tool, run as a user runs it (under the emulator in a cross build).
add_test(NAME asn1tool
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/asn1tool_test.py
                 ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:asn1tool>)
set_tests_properties(asn1tool PROPERTIES TIMEOUT 120)

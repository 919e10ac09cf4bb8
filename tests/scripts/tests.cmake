# The layering check's own tests, on the host's Python in every configuration.
add_test(NAME layering_checker COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check_layers_test.py)
set_tests_properties(layering_checker PROPERTIES TIMEOUT 60)

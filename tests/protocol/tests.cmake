# The message schema files are data; their checker and its own tests run on
# the host's Python in every configuration.
add_test(NAME schema_tables
         COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/protocol/schemas/check_schemas.py
                 ${PROJECT_SOURCE_DIR}/protocol/schemas)
add_test(NAME schema_checker
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/check_schemas_test.py)
set_tests_properties(schema_tables schema_checker PROPERTIES TIMEOUT 60)

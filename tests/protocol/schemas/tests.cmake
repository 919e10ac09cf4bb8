# A small schema set that uses what the real modules do not (aliases, sized
# strings and lists, SEQUENCE additions, an empty SEQUENCE, negative
# ranges), generated and compiled like the real modules, into a library of
# its own for the generator's tests.
set(sample_source ${CMAKE_CURRENT_LIST_DIR}/sample)
set(sample_root ${PROJECT_BINARY_DIR}/schema_sample)
set(sample_dir ${sample_root}/protocol/schemas)
file(GLOB sample_schemas CONFIGURE_DEPENDS ${sample_source}/*.json)
set(sample_outputs ${sample_dir}/Descriptions.inc ${sample_dir}/TypeList.inc ${sample_dir}/AllTypes.cpp)
set(sample_sources ${sample_dir}/Descriptions.inc ${sample_dir}/TypeList.inc)
foreach(schema ${sample_schemas})
  get_filename_component(module ${schema} NAME_WE)
  list(APPEND sample_sources ${sample_dir}/${module}.cpp ${sample_dir}/${module}.h)
  list(APPEND sample_outputs ${sample_dir}/${module}.cpp ${sample_dir}/${module}.h)
endforeach()
add_custom_command(
  OUTPUT ${sample_outputs}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/protocol/schemas/generate.py ${sample_source} ${sample_dir}
  DEPENDS ${sample_schemas} ${PROJECT_SOURCE_DIR}/protocol/schemas/generate.py
          ${PROJECT_SOURCE_DIR}/protocol/schemas/check_schemas.py
  COMMENT "Generating the sample message classes"
  VERBATIM)
# The sample's own type table (AllTypes.cpp) is not compiled: the real one
# defines the same symbols.
add_library(schema_sample STATIC ${sample_sources})
target_link_libraries(schema_sample PUBLIC schemas asn1)
target_include_directories(schema_sample PUBLIC ${sample_root})
target_compile_definitions(schema_sample PUBLIC "SAMPLE_DESCRIPTIONS=\"${sample_dir}/Descriptions.inc\""
                           "SAMPLE_TYPE_LIST=\"${sample_dir}/TypeList.inc\"")

# Checks of generated records against the schema tables, shared by the tests.
add_library(schema_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/RecordDescription.cpp
            ${CMAKE_CURRENT_LIST_DIR}/RepresentativeValue.cpp)
target_link_libraries(schema_test_support PUBLIC schemas asn1)
add_dependencies(schema_test_support schema_generation)

set(SERVER_TEST_EXTRA_schema_records_test schema_test_support)
set(SERVER_TEST_EXTRA_schema_generator_test schema_sample schema_test_support)

add_test(NAME schema_generator_script
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_LIST_DIR}/generate_test.py)
set_tests_properties(schema_generator_script PROPERTIES TIMEOUT 60)
set(SERVER_TEST_EXTRA_schema_coding_test schema_test_support runtime_text)

# The hand-written schema types shared by the ASN.1 runtime tests.
add_library(asn1_test_types STATIC ${CMAKE_CURRENT_LIST_DIR}/TestTypes.cpp)
target_link_libraries(asn1_test_types PUBLIC asn1)
foreach(t asn1_value_model_test asn1_visitor_test asn1_value_notation_test)
  set(SERVER_TEST_EXTRA_${t} asn1_test_types)
endforeach()

# The PER decoder fuzzer's schema, check and random values, shared with the
# replay of its corpus.
add_library(per_fuzz_support STATIC
  ${PROJECT_SOURCE_DIR}/fuzz/per_fuzz_types.cpp
  ${PROJECT_SOURCE_DIR}/fuzz/per_fuzz_check.cpp
  ${PROJECT_SOURCE_DIR}/fuzz/per_random_value.cpp)
target_link_libraries(per_fuzz_support PUBLIC asn1)
set(SERVER_TEST_EXTRA_per_corpus_test per_fuzz_support)

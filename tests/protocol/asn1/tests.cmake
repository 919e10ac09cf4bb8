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

# Interoperability with Erlang/OTP's ASN.1 compiler: native builds only
# (the cross build's tests run under qemu).
if(NOT CMAKE_CROSSCOMPILING)
  find_program(SERVER_ESCRIPT escript)
  add_executable(per_interop ${CMAKE_CURRENT_LIST_DIR}/interop/per_interop.cpp)
  target_link_libraries(per_interop PRIVATE per_fuzz_support ${SERVER_ALL_LIBRARIES} GTest::gtest_main)
  add_test(NAME per_interop COMMAND per_interop)
  set_tests_properties(per_interop PROPERTIES TIMEOUT 120
    ENVIRONMENT "SERVER_TEST_SOURCE_DIR=${PROJECT_SOURCE_DIR};ESCRIPT=${SERVER_ESCRIPT}")
endif()

# The hand-written schema types shared by the ASN.1 runtime tests.
add_library(asn1_test_types STATIC ${CMAKE_CURRENT_LIST_DIR}/TestTypes.cpp)
target_link_libraries(asn1_test_types PUBLIC asn1)
foreach(t asn1_value_model_test asn1_visitor_test asn1_value_notation_test)
  set(SERVER_TEST_EXTRA_${t} asn1_test_types)
endforeach()

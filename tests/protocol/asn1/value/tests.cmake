foreach(t asn1_value_model_test asn1_visitor_test)
  set(SERVER_TEST_EXTRA_${t} asn1_test_types)
endforeach()

# The constraint checks also run on the control-link messages.
set(SERVER_TEST_EXTRA_constraint_check_test asn1_test_types per_fuzz_support zuzu_sample_messages)

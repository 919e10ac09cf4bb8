# The receivers run over the simulated board's device models.
set(SERVER_TEST_EXTRA_tonec_receiver_test sim)
set(SERVER_TEST_EXTRA_dsproc_receiver_test sim)

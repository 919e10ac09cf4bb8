# The front ends run against the simulated board.
set(SERVER_TEST_EXTRA_e1_ctl_test sim)
set(SERVER_TEST_EXTRA_hdlc_test sim)

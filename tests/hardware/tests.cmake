# The front ends run against the simulated board.
foreach(t hw_mux_test hw_tests_test bus_ctl_test spi_ctrl_test hal_records_test tonec_receiver_test dsproc_receiver_test
        e1_ctl_test hdlc_test)
  set(SERVER_TEST_EXTRA_${t} sim)
endforeach()

# The replay of the TPKT fuzzer's corpus (the library is fuzz/CMakeLists.txt's).
set(SERVER_TEST_EXTRA_tpkt_corpus_test tpkt_fuzz_support fuzz_corpus)

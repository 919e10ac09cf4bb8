# The replay of the fuzzers' corpora (the libraries are fuzz/CMakeLists.txt's).
set(SERVER_TEST_EXTRA_ber_corpus_test per_fuzz_support fuzz_corpus)
# The BER tests round-trip random values of the fuzzers' synthetic schema.
set(SERVER_TEST_EXTRA_ber_test per_fuzz_support)

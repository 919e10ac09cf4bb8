# The replay of the fuzzers' corpora (the libraries are fuzz/CMakeLists.txt's).
set(SERVER_TEST_EXTRA_per_corpus_test avn_fuzz_support per_fuzz_support zuzu_sample_messages fuzz_corpus)

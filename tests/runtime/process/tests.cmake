# The replay of the configuration-file fuzzer's corpus (the library is
# fuzz/CMakeLists.txt's).
set(SERVER_TEST_EXTRA_ini_corpus_test ini_fuzz_support fuzz_corpus)

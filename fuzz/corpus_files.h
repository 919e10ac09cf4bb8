#ifndef FUZZ_CORPUS_FILES_H
#define FUZZ_CORPUS_FILES_H

// The seed corpora in fuzz/corpus/TARGET, read by the tests that replay them
// through the fuzzers' checks. A file whose name starts with "seed-" is a
// real-looking input; every other one reproduces a fault a fuzzer found.
#include <cstdint>
#include <string>
#include <vector>

namespace FuzzCorpus {

struct File {
    std::string name;
    std::vector<std::uint8_t> content;

    bool isSeed() const { return name.compare(0, 5, "seed-") == 0; }
};

// fuzz/corpus/TARGET in the source tree named by SERVER_TEST_SOURCE_DIR.
std::string directory(std::string const& target);
// Every file of the target's corpus, in no particular order.
std::vector<File> files(std::string const& target);
std::vector<std::uint8_t> readFile(std::string const& path);

} // namespace FuzzCorpus

#endif

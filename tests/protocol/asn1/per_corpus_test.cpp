// Replays the PER decoder fuzzer's corpus (fuzz/corpus/per): the seeds,
// which are encodings of random values, and every reproducer of a fault the
// fuzzer found, through the same check as the fuzzer.

// 64-bit directory entries: a 32-bit readdir fails with EOVERFLOW on a file
// system with large inode numbers (the cross build's tests run under qemu).
#define _FILE_OFFSET_BITS 64
#include "fuzz/per_fuzz_check.h"
#include "fuzz/per_fuzz_types.h"
#include "fuzz/per_random_value.h"
#include "protocol/asn1/PEREncoder.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string corpusDirectory()
{
    char const* source = std::getenv("SERVER_TEST_SOURCE_DIR");
    return std::string(source ? source : ".") + "/fuzz/corpus/per";
}

std::vector<std::string> corpusFiles()
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(corpusDirectory().c_str())) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

std::vector<std::uint8_t> readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(PERCorpus, EverySeedRoundTripsAndNoReproducerFails)
{
    std::vector<std::string> const names = corpusFiles();
    ASSERT_FALSE(names.empty()) << "no corpus in " << corpusDirectory();
    for (std::string const& name : names) {
        std::vector<std::uint8_t> const input = readFile(corpusDirectory() + "/" + name);
        std::string report;
        PerFuzz::Outcome const outcome = PerFuzz::checkRoundTrip(input.data(), input.size(), report);
        EXPECT_NE(PerFuzz::Outcome::Mismatch, outcome) << name << ": " << report;
        if (name.compare(0, 5, "seed-") == 0) {
            EXPECT_EQ(PerFuzz::Outcome::RoundTripped, outcome) << name;
        }
    }
}

// Writes the seed files: run with --gtest_also_run_disabled_tests and
// PER_SEED_DIR set to the corpus directory.
TEST(PERCorpus, DISABLED_WriteSeeds)
{
    char const* dir = std::getenv("PER_SEED_DIR");
    ASSERT_NE(nullptr, dir);
    std::mt19937 random(20261207);
    for (int i = 0; i < 24; ++i) {
        bool const aligned = i % 4 != 3;
        ASN1::SEQUENCE value(&PerFuzz::Fuzz_info);
        PerFuzz::fillRandom(value, random);
        std::vector<char> octets(1, aligned ? 1 : 0);
        ASSERT_TRUE(ASN1::PEREncoder::encode(value, aligned, octets)) << i;
        std::ofstream(std::string(dir) + "/seed-" + std::to_string(i), std::ios::binary)
            .write(octets.data(), static_cast<std::streamsize>(octets.size()));
    }
}

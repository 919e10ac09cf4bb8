// Replays the corpus of the BER decoder fuzzer (fuzz/corpus/ber: seeds that
// encode random values of the synthetic schema, and reproducers of faults
// the fuzzer found) through the fuzzer's own check. Every seed must
// round-trip; no file may break the property.
#include "fuzz/corpus_files.h"
#include "fuzz/per_fuzz_check.h"
#include "fuzz/per_fuzz_types.h"
#include "fuzz/per_random_value.h"
#include "protocol/asn1/ber/BEREncoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

TEST(BERCorpus, EverySeedRoundTripsAndNoReproducerFails)
{
    std::vector<FuzzCorpus::File> const files = FuzzCorpus::files("ber");
    EXPECT_FALSE(files.empty()) << "no corpus in " << FuzzCorpus::directory("ber");
    for (FuzzCorpus::File const& file : files) {
        std::string report;
        PerFuzz::Outcome const outcome = PerFuzz::checkBerInput(file.content.data(), file.content.size(), report);
        EXPECT_NE(PerFuzz::Outcome::Mismatch, outcome) << file.name << ": " << report;
        if (file.isSeed()) {
            EXPECT_EQ(PerFuzz::Outcome::RoundTripped, outcome) << file.name;
        }
    }
}

// Writes the seed files: run with --gtest_also_run_disabled_tests and
// BER_SEED_DIR set to fuzz/corpus/ber.
TEST(BERCorpus, DISABLED_WriteSeeds)
{
    char const* dir = std::getenv("BER_SEED_DIR");
    ASSERT_NE(nullptr, dir);
    std::mt19937 random(20260311);
    for (int i = 0; i < 24; ++i) {
        ASN1::SEQUENCE value(&PerFuzz::Fuzz_info);
        PerFuzz::fillRandom(value, random);
        std::vector<char> octets;
        ASSERT_TRUE(ASN1::BEREncoder::encode(value, octets)) << i;
        std::ofstream(std::string(dir) + "/seed-" + std::to_string(i), std::ios::binary)
            .write(octets.data(), static_cast<std::streamsize>(octets.size()));
    }
}

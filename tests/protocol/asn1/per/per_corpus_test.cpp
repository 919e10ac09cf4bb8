// Replays the corpora of the ASN.1 fuzzers through the same check as the
// fuzzers: fuzz/corpus/per (the synthetic schema: seeds that encode random
// values), fuzz/corpus/zuzu (control-link messages: seeds that encode the
// sample messages) and fuzz/corpus/avn (the sample messages in value
// notation). Every file whose name starts with "seed-" must round-trip;
// every other file, the reproducer of a fault a fuzzer found, must at least
// not break the property.

#include "fuzz/avn_fuzz_check.h"
#include "fuzz/corpus_files.h"
#include "support/HexText.h"
#include "fuzz/per_fuzz_check.h"
#include "fuzz/per_fuzz_types.h"
#include "fuzz/per_random_value.h"
#include "fuzz/zuzu_sample_messages.h"
#include "protocol/asn1/per/PEREncoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

void writeFile(std::string const& path, std::vector<char> const& octets)
{
    std::ofstream(path, std::ios::binary).write(octets.data(), static_cast<std::streamsize>(octets.size()));
}

PerFuzz::Outcome checkMessage(std::uint8_t const* data, std::size_t size, std::string& report)
{
    return PerFuzz::checkRoundTrip(&ZUZU::Message::theInfo, true, data, size, report);
}

struct Corpus {
    char const* target;
    std::function<PerFuzz::Outcome(std::uint8_t const*, std::size_t, std::string&)> check;
};

} // namespace

TEST(PERCorpus, EverySeedRoundTripsAndNoReproducerFails)
{
    Corpus const corpora[] = {
        {"per", PerFuzz::checkFuzzInput}, {"zuzu", checkMessage}, {"avn", PerFuzz::checkValueNotation}};
    for (Corpus const& corpus : corpora) {
        std::vector<FuzzCorpus::File> const files = FuzzCorpus::files(corpus.target);
        EXPECT_FALSE(files.empty()) << "no corpus in " << FuzzCorpus::directory(corpus.target);
        for (FuzzCorpus::File const& file : files) {
            std::string report;
            PerFuzz::Outcome const outcome = corpus.check(file.content.data(), file.content.size(), report);
            EXPECT_NE(PerFuzz::Outcome::Mismatch, outcome) << corpus.target << "/" << file.name << ": " << report;
            if (file.isSeed()) {
                EXPECT_EQ(PerFuzz::Outcome::RoundTripped, outcome) << corpus.target << "/" << file.name;
            }
        }
    }
}

// The message seeds are what the encoder writes today: a change of the
// control link's wire format shows here first.
TEST(PERCorpus, MessageSeedsAreTheEncodingsOfTheirMessages)
{
    for (PerFuzz::SampleMessage const& sample : PerFuzz::sampleMessages()) {
        std::vector<char> encoding;
        ASSERT_TRUE(ASN1::PEREncoder::encode(sample.make(), true, encoding)) << sample.name;
        std::vector<std::uint8_t> const file = FuzzCorpus::readFile(FuzzCorpus::directory("zuzu") + "/seed-" + sample.name);
        EXPECT_EQ(hexText(encoding), hexText(std::vector<char>(file.begin(), file.end())))
            << sample.name;
    }
}

// Writes the seed files: run with --gtest_also_run_disabled_tests and
// PER_SEED_DIR set to the directory of fuzz/corpus.
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
        writeFile(std::string(dir) + "/per/seed-" + std::to_string(i), octets);
    }
    for (PerFuzz::SampleMessage const& sample : PerFuzz::sampleMessages()) {
        std::vector<char> octets;
        ASSERT_TRUE(ASN1::PEREncoder::encode(sample.make(), true, octets)) << sample.name;
        writeFile(std::string(dir) + "/zuzu/seed-" + sample.name, octets);
        std::string const text = sample.make().asValueNotation();
        writeFile(std::string(dir) + "/avn/seed-" + sample.name, std::vector<char>(text.begin(), text.end()));
    }
}

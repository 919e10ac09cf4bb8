// Replays fuzz/corpus/tpkt through the TPKT fuzzer's check: streams of
// frames and stray bytes cut into reads.
#include "fuzz/corpus_files.h"
#include "fuzz/tpkt_fuzz_check.h"

#include <gtest/gtest.h>

TEST(TpktCorpus, EveryStreamComesUpWholeWhateverTheReads)
{
    std::vector<FuzzCorpus::File> const files = FuzzCorpus::files("tpkt");
    EXPECT_FALSE(files.empty()) << "no corpus in " << FuzzCorpus::directory("tpkt");
    for (FuzzCorpus::File const& file : files) {
        std::string report;
        EXPECT_EQ(TpktFuzz::Outcome::Delivered, TpktFuzz::checkInput(file.content.data(), file.content.size(), report))
            << file.name << ": " << report;
    }
}

// Replays fuzz/corpus/ini through the configuration-file fuzzer's check.
#include "fuzz/corpus_files.h"
#include "fuzz/ini_fuzz_check.h"

#include <gtest/gtest.h>

TEST(IniCorpus, EveryFileParsesToATreeThatReadsBackTheSame)
{
    std::vector<FuzzCorpus::File> const files = FuzzCorpus::files("ini");
    EXPECT_FALSE(files.empty()) << "no corpus in " << FuzzCorpus::directory("ini");
    for (FuzzCorpus::File const& file : files) {
        std::string report;
        EXPECT_EQ(IniFuzz::Outcome::Read, IniFuzz::checkInput(file.content.data(), file.content.size(), report))
            << file.name << ": " << report;
    }
}

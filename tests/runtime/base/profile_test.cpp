#include "runtime/base/Profile.h"

#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sstream>

namespace {

std::string dumped()
{
    std::ostringstream out;
    Profile::dump(out);
    return out.str();
}

TEST(ProfileDump, ListsLivePointsNewestFirst)
{
    EXPECT_EQ("", dumped());
    auto first = std::make_unique<Profile::Point>("first");
    Profile::Point second("second");
    auto third = std::make_unique<Profile::Point>("third");
    second.begin();
    second.end();
    EXPECT_EQ(1u, second.measure().counter());
    EXPECT_TRUE(std::regex_match(dumped(), std::regex("\\[third\\]: min=0 max=0 avg=0 counter=0\n"
                                                      "\\[second\\]: min=\\d+ max=\\d+ avg=\\d+ counter=1\n"
                                                      "\\[first\\]: min=0 max=0 avg=0 counter=0\n")))
        << dumped();
    first.reset();
    third.reset();
    EXPECT_TRUE(std::regex_match(dumped(), std::regex("\\[second\\]: [^\n]* counter=1\n"))) << dumped();
}

} // namespace

#include "runtime/process/Version.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>

TEST(Version, PutWritesExactlyTheTagOfTheBuild)
{
    std::ostringstream out;
    Version::current.put(out);
    EXPECT_EQ(Version::current.tag(), out.str());
    EXPECT_TRUE(std::regex_match(out.str(), std::regex("T[0-9]{6}-[0-9]{4}"))) << out.str();
    EXPECT_TRUE(std::regex_match(Version::current.date(), std::regex("20[0-9]{2}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}")))
        << Version::current.date();
    std::string date = Version::current.date();
    EXPECT_EQ("T" + date.substr(2, 2) + date.substr(5, 2) + date.substr(8, 2) + "-" + date.substr(11, 2)
                  + date.substr(14, 2),
              out.str());
    EXPECT_EQ(Version::snapshot, Version::current.type());
    EXPECT_EQ(0, Version::current.number());
}

TEST(Version, TypesHaveTheirNamesAndSuffixes)
{
    struct Case { int type; char const* name; char const* suffix; };
    Case const cases[] = {
        {0, "snapshot", "S"}, {1, "test", "T"}, {2, "release", "R"}, {3, "unit-test", "T"},
        {4, "unknown", "U"},  {-1, "unknown", "U"},
    };
    for (auto const& c : cases) {
        auto type = static_cast<Version::Type>(c.type);
        EXPECT_STREQ(c.name, version_string(type)) << c.type;
        EXPECT_STREQ(c.suffix, version_suffix(type)) << c.type;
        std::ostringstream out;
        out << type;
        EXPECT_EQ(c.name, out.str()) << c.type;
    }
}

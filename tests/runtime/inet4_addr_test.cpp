#include "runtime/INet4Addr.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST(INet4Addr, IsLaidOutAsTheSocketAddressInNetworkOrder)
{
    INet4::Addr a;
    int port = 0;
    ASSERT_TRUE(a.Assign("10.1.2.3:5000", &port));
    unsigned char const* bytes = reinterpret_cast<unsigned char const*>(a.sa());
    EXPECT_EQ(AF_INET, a.sa()->sa_family);
    unsigned char const expected[] = {0x13, 0x88, 10, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0};
    for (unsigned i = 0; i < sizeof expected; ++i)
        EXPECT_EQ(expected[i], bytes[2 + i]) << "byte " << 2 + i;
    EXPECT_EQ(16u, INet4::Addr::size());
    EXPECT_EQ(htons(5000), a.native().sin_port);
    EXPECT_EQ(inet_addr("10.1.2.3"), a.native().sin_addr.s_addr);
}

TEST(INet4Addr, ParsesAddressAndOptionalPort)
{
    struct Case {
        char const* text;
        bool ok;
        char const* printed;
        int port;
    };
    // Every case starts from 0.0.0.0 with port field 7.
    Case const cases[] = {
        {"10.0.0.1:5000", true, "10.0.0.1:5000", 5000},
        {"10.0.0.1", true, "10.0.0.1:7", -1},
        {"host.example:80", false, "0.0.0.0:80", 80},
        {"10.0.0.1:70000", true, "10.0.0.1:4464", 70000},
        {"10.0.0.1:abc", true, "10.0.0.1:0", 0},
        {"10.0.0.1:", true, "10.0.0.1:0", 0},
        {"10.0.0.1:-1", true, "10.0.0.1:65535", -1},
        {"10.0.0.1:99999999999", true, "10.0.0.1:65535", 2147483647},
        {"255.255.255.255:65535", true, "255.255.255.255:65535", 65535},
        {"", false, "0.0.0.0:7", -1},
        {":1", false, "0.0.0.0:1", 1},
        {"1.2.3.4.5", false, "0.0.0.0:7", -1},
        {"300.1.1.1:9", false, "0.0.0.0:9", 9},
        {"1.2.3.4:5:6", true, "1.2.3.4:5", 5},
    };
    for (auto const& c : cases) {
        INet4::Addr a;
        a.SetPort(7);
        int port = 12345;
        EXPECT_EQ(c.ok, a.Assign(c.text, &port)) << c.text;
        EXPECT_EQ(c.printed, a.GetString()) << c.text;
        EXPECT_EQ(c.port, port) << c.text;

        INet4::Addr b;
        b.SetPort(7);
        EXPECT_EQ(c.ok, b.Assign(std::string(c.text), nullptr)) << c.text;
        EXPECT_TRUE(a.IsEqual(b)) << c.text;
    }
}

TEST(INet4Addr, PrintedTextParsesBackToTheSameAddress)
{
    char const* const texts[] = {"0.0.0.0:0", "127.0.0.1:1", "192.168.100.200:65535", "1.2.3.4:80"};
    for (char const* text : texts) {
        INet4::Addr a;
        ASSERT_TRUE(a.Assign(text, nullptr)) << text;
        std::ostringstream out;
        out << a;
        EXPECT_EQ(text, out.str());
        INet4::Addr b;
        ASSERT_TRUE(b.Assign(out.str(), nullptr));
        EXPECT_TRUE(a.IsEqual(b)) << text;
    }
}

TEST(INet4Addr, ResetAddressPrintsAsZeroAndLeavesStreamDecimal)
{
    INet4::Addr a;
    a.Assign("1.2.3.4:99", nullptr);
    a.Reset();
    std::ostringstream out;
    out << std::hex << a << ' ' << 255;
    EXPECT_EQ("0.0.0.0:0 255", out.str());
}

TEST(INet4Addr, EqualityComparesAddressAndPortOnly)
{
    INet4::Addr a, b;
    a.Assign("10.0.0.1:80", nullptr);
    b.Assign("10.0.0.1:80", nullptr);
    b.sa()->sa_family = AF_UNSPEC;
    EXPECT_TRUE(a.IsEqual(b));
    b.SetPort(81);
    EXPECT_FALSE(a.IsEqual(b));
    b.SetPort(80);
    b.Assign("10.0.0.2", nullptr);
    EXPECT_FALSE(a.IsEqual(b));
}

TEST(INet4Addr, GivesAddressBytesAndTakesNetworkOrderAddress)
{
    INet4::Addr a;
    a.Assign(static_cast<unsigned long>(inet_addr("192.0.2.33")));
    EXPECT_EQ((std::vector<char>{char(192), 0, 2, 33}), a.GetVector());
    EXPECT_EQ("192.0.2.33:0", a.GetString());
}

} // namespace

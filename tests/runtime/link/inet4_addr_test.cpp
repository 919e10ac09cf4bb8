#include "runtime/link/INet4Addr.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST(INet4Addr, IsLaidOutAsTheSocketAddressInNetworkOrder)
{
    INet4::Addr a;
    ASSERT_TRUE(a.Assign("10.1.2.3:5000", nullptr));
    unsigned char const* bytes = reinterpret_cast<unsigned char const*>(a.sa());
    unsigned char const expected[] = {0x13, 0x88, 10, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, memcmp(expected, bytes + 2, sizeof expected));
    EXPECT_EQ(AF_INET, a.sa()->sa_family);
    EXPECT_EQ(htons(5000), a.native().sin_port);
    EXPECT_EQ(inet_addr("10.1.2.3"), a.native().sin_addr.s_addr);
    EXPECT_EQ((std::vector<char>{10, 1, 2, 3}), a.GetVector());
}

TEST(INet4Addr, ParsesAddressAndOptionalPort)
{
    struct Case { char const* text; bool ok; char const* printed; int port; };
    // Every case starts from 0.0.0.0 with port field 7.
    Case const cases[] = {
        {"10.0.0.1:5000", true, "10.0.0.1:5000", 5000},
        {"10.0.0.1", true, "10.0.0.1:7", -1},
        {"host.example:80", false, "0.0.0.0:80", 80},
        {"10.0.0.1:70000", true, "10.0.0.1:4464", 70000},
        {"10.0.0.1:abc", true, "10.0.0.1:0", 0},
        {"10.0.0.1:-1", true, "10.0.0.1:65535", -1},
        {"10.0.0.1:99999999999", true, "10.0.0.1:65535", 2147483647},
        {"255.255.255.255:65535", true, "255.255.255.255:65535", 65535},
        {"", false, "0.0.0.0:7", -1},
        {"1.2.3.4.5", false, "0.0.0.0:7", -1},
        {"300.1.1.1:9", false, "0.0.0.0:9", 9},
        {"1.2.3.4:5:6", true, "1.2.3.4:5", 5},
    };
    for (auto const& c : cases) {
        INet4::Addr a;
        a.SetPort(7);
        int port = 12345;
        EXPECT_EQ(c.ok, a.Assign(c.text, &port)) << c.text;
        EXPECT_EQ(c.port, port) << c.text;
        std::ostringstream out;
        out << std::hex << a << ' ' << 10;
        EXPECT_EQ(std::string(c.printed) + " 10", out.str()) << c.text;

        INet4::Addr b;
        EXPECT_TRUE(b.Assign(std::string(c.printed), nullptr)) << c.printed;
        EXPECT_TRUE(a.IsEqual(b)) << "printed text parses back: " << c.printed;
    }
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
    b.Assign("10.0.0.2:80", nullptr);
    EXPECT_FALSE(a.IsEqual(b));
    b.Reset();
    EXPECT_EQ("0.0.0.0:0", b.GetString());
}

} // namespace

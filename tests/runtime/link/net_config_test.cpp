#include "runtime/link/NetConfig.h"

#include <net/if.h>

#include <algorithm>
#include <gtest/gtest.h>

namespace {

INet4::Addr addr(char const* text)
{
    INet4::Addr a;
    EXPECT_TRUE(a.Assign(text, nullptr)) << text;
    return a;
}

TEST(NetConfig, SelectsInterfacesByKind)
{
    struct Case {
        char const* name;
        char const* address;
        bool all, notLoopback, linkLocal, privateNet, linkLocalOrPrivate;
    };
    Case const cases[] = {
        {"lo", "127.0.0.1", true, false, false, false, false},
        {"LO", "127.0.0.1", true, false, false, false, false},
        {"eth0", "192.168.1.10", true, true, false, true, true},
        {"lo", "192.168.1.10", true, false, false, true, true},
        {"lo", "169.254.3.4", true, false, true, false, true},
        {"lo", "169.255.0.1", true, false, false, false, false},
        {"lo", "10.255.255.255", true, false, false, true, true},
        {"lo", "172.15.255.255", true, false, false, false, false},
        {"lo", "172.16.0.0", true, false, false, true, true},
        {"lo", "172.31.255.255", true, false, false, true, true},
        {"lo", "172.32.0.0", true, false, false, false, false},
        {"lo", "192.169.0.1", true, false, false, false, false},
    };
    for (auto const& c : cases) {
        INet4::Addr const a = addr(c.address);
        std::string const what = std::string(c.name) + " " + c.address;
        EXPECT_EQ(c.all, Net::ifconfig_selects(Net::ifconfig_all, c.name, a)) << what;
        EXPECT_EQ(c.notLoopback, Net::ifconfig_selects(Net::ifconfig_not_loopback, c.name, a)) << what;
        EXPECT_EQ(c.linkLocal, Net::ifconfig_selects(Net::ifconfig_link_local, c.name, a)) << what;
        EXPECT_EQ(c.privateNet, Net::ifconfig_selects(Net::ifconfig_private, c.name, a)) << what;
        EXPECT_EQ(c.linkLocalOrPrivate,
                  Net::ifconfig_selects(Net::ifconfig_link_local | Net::ifconfig_private, c.name, a)) << what;
    }
}

bool hasLoopback(std::list<INet4::Addr> const& addresses)
{
    INet4::Addr const loopback = addr("127.0.0.1");
    return std::any_of(addresses.begin(), addresses.end(), [&](INet4::Addr const& a) { return a.IsEqual(loopback); });
}

TEST(NetConfig, ListsTheLoopbackAddressOnlyWhenAllInterfacesAreWanted)
{
    std::list<INet4::Addr> all;
    all.push_back(addr("1.1.1.1"));
    int const n = Net::ifconfig(all, Net::ifconfig_all);
    ASSERT_GE(n, 1);
    EXPECT_EQ(static_cast<std::size_t>(n) + 1, all.size()) << "appends to what the list held";
    EXPECT_TRUE(hasLoopback(all));

    std::list<INet4::Addr> others;
    int const m = Net::ifconfig(others, Net::ifconfig_not_loopback);
    EXPECT_EQ(static_cast<std::size_t>(m), others.size());
    EXPECT_FALSE(hasLoopback(others));
    EXPECT_EQ(n - 1, m) << "everything but lo";
}

TEST(NetConfig, ListsInterfaceNamesWithTheRequestedFlags)
{
    std::list<std::string> loopback, others;
    int const n = Net::ifconfig(loopback, Net::ifconfig_all, IFF_UP | IFF_LOOPBACK);
    EXPECT_EQ(static_cast<std::size_t>(n), loopback.size());
    EXPECT_NE(loopback.end(), std::find(loopback.begin(), loopback.end(), "lo"));
    Net::ifconfig(others, Net::ifconfig_not_loopback, 0);
    EXPECT_EQ(others.end(), std::find(others.begin(), others.end(), "lo"));
}

} // namespace

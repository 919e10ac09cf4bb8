#include "runtime/link/NetConfig.h"

#include <net/if.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace Net {

namespace {

// The interface list is requested into 512 bytes: as many whole records as
// fit (16 where a record is 32 bytes, fewer where it is larger).
constexpr std::size_t kListBytes = 512;
constexpr std::size_t kMaxRecords = kListBytes / sizeof(ifreq);

std::string nameOf(ifreq const& record)
{
    return std::string(record.ifr_name, strnlen(record.ifr_name, sizeof record.ifr_name));
}

INet4::Addr addressOf(ifreq const& record)
{
    sockaddr_in sin;
    std::memcpy(&sin, &record.ifr_addr, sizeof sin);
    return INet4::Addr(sin);
}

// Calls take(socket, record) for every selected IPv4 interface whose address
// can be read again; counts the records it accepts.
template <typename Take>
int forEachSelected(ifconfig_mode_t mode, Take take)
{
    int const sock = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (sock < 0)
        return -1;
    ifreq records[kMaxRecords];
    std::memset(records, 0, sizeof records);
    ifconf list;
    list.ifc_len = static_cast<int>(sizeof records);
    list.ifc_req = records;
    if (::ioctl(sock, SIOCGIFCONF, &list) < 0) {
        ::close(sock);
        return -1;
    }
    std::size_t const count = std::min<std::size_t>(static_cast<std::size_t>(list.ifc_len) / sizeof(ifreq), kMaxRecords);
    int taken = 0;
    for (std::size_t i = 0; i < count; ++i) {
        ifreq& record = records[i];
        if (record.ifr_addr.sa_family != AF_INET)
            continue;
        if (!ifconfig_selects(mode, nameOf(record), addressOf(record)))
            continue;
        if (::ioctl(sock, SIOCGIFADDR, &record) < 0)
            continue;
        if (take(sock, record))
            ++taken;
    }
    ::close(sock);
    return taken;
}

} // namespace

bool ifconfig_selects(ifconfig_mode_t mode, std::string const& name, INet4::Addr const& address)
{
    if (mode == ifconfig_all)
        return true;
    std::vector<char> const bytes = address.GetVector();
    unsigned const a = static_cast<unsigned char>(bytes[0]);
    unsigned const b = static_cast<unsigned char>(bytes[1]);
    if ((mode & ifconfig_not_loopback) && strcasecmp(name.c_str(), "lo") != 0)
        return true;
    if ((mode & ifconfig_link_local) && a == 169 && b == 254)
        return true;
    if ((mode & ifconfig_private) && (a == 10 || (a == 172 && (b & 0xF0) == 16) || (a == 192 && b == 168)))
        return true;
    return false;
}

int ifconfig(std::list<INet4::Addr>& out, ifconfig_mode_t mode)
{
    return forEachSelected(mode, [&out](int, ifreq const& record) {
        out.push_back(addressOf(record));
        return true;
    });
}

int ifconfig(std::list<std::string>& out, ifconfig_mode_t mode, unsigned flags)
{
    return forEachSelected(mode, [&out, flags](int sock, ifreq& record) {
        if (::ioctl(sock, SIOCGIFFLAGS, &record) < 0)
            return false;
        unsigned const have = static_cast<unsigned short>(record.ifr_flags);
        if ((have & flags) != flags)
            return false;
        out.push_back(nameOf(record));
        return true;
    });
}

std::string hostname()
{
    char name[512];
    if (::gethostname(name, sizeof name) != 0)
        return std::string();
    name[sizeof name - 1] = '\0';
    return name;
}

int hostname(std::string const& name)
{
    return ::sethostname(name.data(), name.size());
}

} // namespace Net

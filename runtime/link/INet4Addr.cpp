#include "runtime/link/INet4Addr.h"

#include <arpa/inet.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace INet4 {

static_assert(sizeof(sockaddr_in) == 16, "the address is handed to the socket calls with length 16");

namespace {

// The decimal port text as strtol reads it, kept within the range of an int
// so a huge number reads the same on 32-bit and 64-bit hosts.
long long parsePort(char const* text)
{
    long long const n = std::strtoll(text, nullptr, 10);
    if (n > INT_MAX)
        return INT_MAX;
    if (n < INT_MIN)
        return INT_MIN;
    return n;
}

} // namespace

void Addr::Reset()
{
    std::memset(&sin_, 0, sizeof sin_);
    sin_.sin_family = AF_INET;
}

bool Addr::Assign(char const* text, int* port)
{
    if (!text)
        return false;
    char const* colon = std::strchr(text, ':');
    if (!colon) {
        if (port)
            *port = -1;
        return inet_aton(text, &sin_.sin_addr) != 0;
    }
    long long const number = parsePort(colon + 1);
    SetPort(static_cast<unsigned>(static_cast<unsigned long long>(number) & 0xFFFFu));
    if (port)
        *port = static_cast<int>(number);
    std::string const address(text, static_cast<std::size_t>(colon - text));
    return inet_aton(address.c_str(), &sin_.sin_addr) != 0;
}

bool Addr::Assign(std::string const& text, int* port)
{
    return Assign(text.c_str(), port);
}

void Addr::Assign(unsigned long address)
{
    sin_.sin_addr.s_addr = static_cast<in_addr_t>(address);
}

void Addr::SetPort(unsigned port)
{
    unsigned char* p = reinterpret_cast<unsigned char*>(&sin_.sin_port);
    p[0] = static_cast<unsigned char>((port >> 8) & 0xFF);
    p[1] = static_cast<unsigned char>(port & 0xFF);
}

unsigned Addr::GetPort() const
{
    unsigned char const* p = reinterpret_cast<unsigned char const*>(&sin_.sin_port);
    return (unsigned(p[0]) << 8) | p[1];
}

bool Addr::IsEqual(Addr const& other) const
{
    return std::memcmp(&sin_.sin_addr, &other.sin_.sin_addr, sizeof sin_.sin_addr) == 0
        && std::memcmp(&sin_.sin_port, &other.sin_.sin_port, sizeof sin_.sin_port) == 0;
}

void Addr::Put(std::ostream& out) const
{
    out << std::dec << GetString();
}

std::string Addr::GetString() const
{
    unsigned char const* a = addressBytes();
    std::string text;
    for (int i = 0; i < 4; ++i) {
        text += std::to_string(a[i]);
        text += i < 3 ? '.' : ':';
    }
    return text + std::to_string(GetPort());
}

std::vector<char> Addr::GetVector() const
{
    unsigned char const* a = addressBytes();
    return std::vector<char>(a, a + 4);
}

} // namespace INet4

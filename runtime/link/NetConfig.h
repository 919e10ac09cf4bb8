#pragma once
// Host network queries: the IPv4 interfaces of the machine (their addresses
// or their names, filtered by kind) and the host name.
#include "runtime/link/INet4Addr.h"

#include <list>
#include <string>

namespace Net {

// Which interfaces to take; an interface is taken when any selected kind
// matches it, and 0 takes every IPv4 interface.
using ifconfig_mode_t = unsigned;
constexpr ifconfig_mode_t ifconfig_all = 0;
constexpr ifconfig_mode_t ifconfig_not_loopback = 1;  // not named "lo"
constexpr ifconfig_mode_t ifconfig_link_local = 2;    // 169.254.0.0/16
constexpr ifconfig_mode_t ifconfig_private = 4;       // 10/8, 172.16/12, 192.168/16

// Whether an IPv4 interface of that name and address is selected by mode.
bool ifconfig_selects(ifconfig_mode_t mode, std::string const& name, INet4::Addr const& address);

// Appends the addresses of the selected interfaces; returns how many, or -1
// when the interface list cannot be read. Only the first records that fit
// in a 512-byte request are seen.
int ifconfig(std::list<INet4::Addr>& out, ifconfig_mode_t mode);
// Appends the names of the selected interfaces whose interface flags
// (IFF_UP, ...) contain all bits of flags; same results.
int ifconfig(std::list<std::string>& out, ifconfig_mode_t mode, unsigned flags);

// The host name, empty when it cannot be read.
std::string hostname();
// Sets the host name; returns sethostname's result.
int hostname(std::string const& name);

} // namespace Net

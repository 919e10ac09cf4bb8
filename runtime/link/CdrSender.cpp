#include "runtime/link/CdrSender.h"

#include "runtime/link/INet4Addr.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <sstream>

namespace CDR_Sender {

Sender::Sender() : sock(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP)) {}

bool Sender::SendTo(std::string const& record, std::string const& destinations)
{
    if (!sock)
        return false;
    bool all = true;
    std::istringstream words(destinations);
    std::string word;
    while (words >> word) {
        INet4::Addr to;
        int port = -1;
        // A word that does not parse must never send the record to 0.0.0.0
        // or to a port cut modulo 65536.
        if (!to.Assign(word, &port) || port < 1 || port > 0xFFFF) {
            all = false;
            continue;
        }
        ssize_t sent;
        do
            sent = ::sendto(sock.get(), record.data(), record.size(), 0, to.sa(), to.size());
        while (sent < 0 && errno == EINTR);
        if (sent < 0 || static_cast<std::size_t>(sent) != record.size())
            all = false;
    }
    return all;
}

} // namespace CDR_Sender

#pragma once
// Sends one record, a block of bytes, as one UDP datagram to each
// destination of a list given as text ("a.b.c.d:port" words separated by
// white space). No framing, no header, no acknowledgement: the record goes
// out unchanged. The sender owns its UDP socket for its whole life.
#include "runtime/base/Fd.h"

#include <string>

namespace CDR_Sender {

class Sender {
public:
    // Creates the socket; when that fails the sender refuses every send.
    Sender();
    virtual ~Sender() = default;

    Sender(Sender const&) = delete;
    Sender& operator=(Sender const&) = delete;

    // Sends record to every destination in turn. A destination that is not
    // a dotted IPv4 address with a port from 1 to 65535 is skipped, and the
    // others are still served; the result is true only when the socket is
    // valid and every destination was sent the record.
    bool SendTo(std::string const& record, std::string const& destinations);

private:
    Fd sock;
};

} // namespace CDR_Sender

#pragma once
// A controller on a loopback TCP connection for in-process tests of the
// control server and its services: the server's connection object is
// attached straight to one end, the test delivers messages written in
// value notation and reads back, one line each, what the server sent.
#include "protocol/CtrlSrvServer.h"
#include "protocol/asn1/notation/ValueNotation.h"
#include "runtime/link/ControlServiceNet.h"
#include "support/TpktClient.h"
#include "support/OneLine.h"

#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace ctrltest {

inline ZUZU::Message readMessage(std::string const& text)
{
    ZUZU::Message message;
    std::istringstream in(text);
    in >> message;
    EXPECT_FALSE(in.fail()) << text;
    return message;
}

inline std::vector<char> encode(ZUZU::Message const& message)
{
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<char> bytes;
    EXPECT_TRUE(ASN1::encode(message, &env, std::back_inserter(bytes)));
    return bytes;
}

// The server's connection object, attached to one end of a loopback TCP
// connection; the test reads what the server sent from the other end.
class LoopbackLink : public Control::ServiceNet {
public:
    void connectController()
    {
        TcpListener listener;
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        // Room for the longest frame, so that the server never waits for
        // the test to read.
        int room = 1 << 18;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
        sockaddr_in address = loopback(listener.port());
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        controller_.adopt(fd);
        Fd accepted(listener.accept_within(1000));
        ::setsockopt(accepted.get(), SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
        INet4::Addr peer;
        peer.Assign("10.1.2.3:4000", nullptr);
        Connected(std::move(accepted), peer);
    }

    // The messages that reached the controller since the last call.
    std::vector<std::string> received()
    {
        std::vector<std::string> messages;
        std::vector<char> payload;
        while (controller_.receiveFrame(payload, 20) == TpktClient::frame) {
            ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
            ZUZU::Message message;
            bool decoded = ASN1::decode(payload.data(), payload.data() + payload.size(), &env, message, true);
            messages.push_back(decoded ? oneLine(message) : "undecodable");
        }
        return messages;
    }

    // True once the server's side of the connection is closed.
    bool controllerSeesClose()
    {
        std::vector<char> payload;
        return controller_.receiveFrame(payload, 0) == TpktClient::closed;
    }

protected:
    bool ImplActivate() override { return true; }
    void ImplDeactivate() override {}
    void ImplOnDisconnect() override {}

private:
    TpktClient controller_;
};

} // namespace ctrltest

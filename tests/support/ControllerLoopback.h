#pragma once
// A controller on a loopback TCP connection for in-process tests of the
// control server and its services: the server's connection object is
// attached straight to one end, the test delivers messages written in
// value notation and reads back, one line each, what the server sent.
#include "protocol/CtrlSrvServer.h"
#include "protocol/asn1/ValueNotation.h"
#include "runtime/link/ControlServiceNet.h"

#include <gtest/gtest.h>
#include <arpa/inet.h>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace ctrltest {

// The printer's layout on one line.
inline std::string oneLine(ASN1::AbstractData const& value)
{
    std::ostringstream out;
    out << value;
    std::string text;
    for (char c : out.str()) {
        if (c == '\n')
            c = ' ';
        if (c != ' ' || (!text.empty() && text.back() != ' '))
            text += c;
    }
    return text;
}

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
        Fd listener(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener.get(), 1);
        ::getsockname(listener.get(), reinterpret_cast<sockaddr*>(&address), &length);
        controller_ = Fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        // Room for the longest frame, so that the server never waits for
        // the test to read.
        int room = 1 << 18;
        ::setsockopt(controller_.get(), SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
        ::connect(controller_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address);
        Fd accepted(::accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC));
        ::setsockopt(accepted.get(), SOL_SOCKET, SO_SNDBUF, &room, sizeof room);
        INet4::Addr peer;
        peer.Assign("10.1.2.3:4000", nullptr);
        Connected(std::move(accepted), peer);
        controller_.NonBlock();
    }

    // The messages that reached the controller since the last call.
    std::vector<std::string> received()
    {
        char chunk[4096];
        pollfd ready = {controller_.get(), POLLIN, 0};
        while (::poll(&ready, 1, 20) == 1) {
            ssize_t n = ::recv(controller_.get(), chunk, sizeof chunk, 0);
            if (n <= 0)
                break;
            bytes_.insert(bytes_.end(), chunk, chunk + n);
        }
        std::vector<std::string> messages;
        while (bytes_.size() >= 4) {
            std::size_t length = (std::size_t(static_cast<unsigned char>(bytes_[2])) << 8)
                | static_cast<unsigned char>(bytes_[3]);
            if (bytes_.size() < length)
                break;
            ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
            ZUZU::Message message;
            bool decoded = ASN1::decode(bytes_.data() + 4, bytes_.data() + length, &env, message, true);
            messages.push_back(decoded ? oneLine(message) : "undecodable");
            bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<long>(length));
        }
        return messages;
    }

    // True once the server's side of the connection is closed.
    bool controllerSeesClose()
    {
        char byte;
        return ::recv(controller_.get(), &byte, 1, 0) == 0;
    }

protected:
    bool ImplActivate() override { return true; }
    void ImplDeactivate() override {}
    void ImplOnDisconnect() override {}

private:
    Fd controller_;
    std::vector<char> bytes_;
};

} // namespace ctrltest

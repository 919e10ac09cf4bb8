#include "runtime/link/CdrSender.h"

#include "support/NoFreeDescriptors.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// A UDP socket bound to a free loopback port that collects what arrives.
class UdpReceiver {
public:
    UdpReceiver()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), len) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            ADD_FAILURE() << "no loopback UDP socket";
        port_ = ntohs(a.sin_port);
    }
    ~UdpReceiver() { ::close(fd_); }

    unsigned port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

    // Every datagram waiting now, in order of arrival. Loopback delivery is
    // complete when sendto returns, so nothing is still on its way.
    std::vector<std::string> take()
    {
        std::vector<std::string> out;
        std::vector<char> buffer(70000);
        for (;;) {
            ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n < 0)
                return out;
            out.emplace_back(buffer.data(), static_cast<std::size_t>(n));
        }
    }

private:
    int fd_ = -1;
    unsigned port_ = 0;
};

using Datagrams = std::vector<std::string>;

TEST(CdrSender, SendsTheRecordUnchangedToEveryDestination)
{
    UdpReceiver a, b;
    CDR_Sender::Sender sender;
    std::string const record("call\0record\xff", 12);

    EXPECT_TRUE(sender.SendTo(record, ""));
    EXPECT_TRUE(sender.SendTo(record, " \t\n "));
    EXPECT_EQ(Datagrams{}, a.take()) << "no destination, nothing sent";

    EXPECT_TRUE(sender.SendTo(record, a.address() + " " + b.address()));
    EXPECT_EQ(Datagrams{record}, a.take());
    EXPECT_EQ(Datagrams{record}, b.take());

    EXPECT_TRUE(sender.SendTo(record, "\t" + a.address() + "\n\n" + a.address() + " "));
    EXPECT_EQ((Datagrams{record, record}), a.take()) << "a destination named twice gets two datagrams";

    EXPECT_TRUE(sender.SendTo("", a.address() + " " + b.address()));
    EXPECT_EQ(Datagrams{""}, a.take()) << "an empty record is an empty datagram";
    EXPECT_EQ(Datagrams{""}, b.take());
}

TEST(CdrSender, ADestinationThatIsNoAddressWithPortIsSkippedAndReported)
{
    UdpReceiver good, wrapped;
    CDR_Sender::Sender sender;
    std::string const wrapping = "127.0.0.1:" + std::to_string(wrapped.port() + 65536);
    char const* const bad[] = {
        "localhost:9", "127.0.0.1", "127.0.0.1:", "127.0.0.1:abc", "127.0.0.1:0", "127.0.0.1:-5", "300.0.0.1:9",
        ":9", "host",
    };
    for (char const* word : bad) {
        EXPECT_FALSE(sender.SendTo("r", std::string(word) + " " + good.address())) << word;
        EXPECT_EQ(Datagrams{"r"}, good.take()) << "the next destination is still served after " << word;
    }
    EXPECT_FALSE(sender.SendTo("r", wrapping + " " + good.address()));
    EXPECT_EQ(Datagrams{}, wrapped.take()) << "a port past 65535 is not cut to another port";
    EXPECT_EQ(Datagrams{"r"}, good.take());
}

TEST(CdrSender, AFailedSendIsReportedAndTheNextDestinationServed)
{
    UdpReceiver a;
    CDR_Sender::Sender sender;
    // Larger than any UDP datagram.
    std::string const huge(70000, 'x');
    EXPECT_FALSE(sender.SendTo(huge, a.address() + " " + a.address()));
    EXPECT_EQ(Datagrams{}, a.take());
    EXPECT_TRUE(sender.SendTo("after", a.address()));
    EXPECT_EQ(Datagrams{"after"}, a.take());
}

TEST(CdrSender, WithoutASocketEverySendIsRefused)
{
    UdpReceiver a;
    std::unique_ptr<CDR_Sender::Sender> sender;
    {
        NoFreeDescriptors none;
        sender = std::make_unique<CDR_Sender::Sender>();
    }
    EXPECT_FALSE(sender->SendTo("r", a.address()));
    EXPECT_FALSE(sender->SendTo("r", ""));
    EXPECT_EQ(Datagrams{}, a.take());
}

} // namespace

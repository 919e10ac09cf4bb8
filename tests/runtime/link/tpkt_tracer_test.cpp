#include "runtime/link/TPKTTracer.h"
#include "runtime/link/TPKTTracerP2P.h"

#include "support/ConnectionTestSupport.h"
#include "support/LoopStepper.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

std::string hex_of(void const* data, unsigned length)
{
    auto const* bytes = static_cast<unsigned char const*>(data);
    return packet_of(std::vector<unsigned char>(bytes, bytes + length)).text();
}

std::vector<unsigned char> payload_of(std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}

struct PlainObserver : TPKTTracer::Notify {
    void OnMessage(void const* data, unsigned length) override
    {
        messages.push_back(hex_of(data, length));
        if (answer)
            answer(data, length);
    }
    std::vector<std::string> messages;
    std::function<void(void const*, unsigned)> answer;
};

struct PeerObserver : TPKTTracerP2P::Notify {
    void OnConnect(INet4::Addr const& peer, int fd) override
    {
        connects.push_back(peer);
        sockaddr_in address = {};
        socklen_t size = sizeof address;
        // The descriptor handed over is the client's own, still open.
        fds_valid.push_back(getpeername(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0 &&
                            INet4::Addr(address).IsEqual(peer));
    }
    void OnClose(INet4::Addr const& peer) override { closes.push_back(peer.GetString()); }
    void OnMessage(INet4::Addr const& peer, void const* data, unsigned length) override
    {
        messages.push_back(peer.GetString() + " " + hex_of(data, length));
        if (answer)
            answer(peer, data, length);
    }
    std::vector<INet4::Addr> connects;
    std::vector<bool> fds_valid;
    std::vector<std::string> closes;
    std::vector<std::string> messages;
    std::function<void(INet4::Addr const&, void const*, unsigned)> answer;
};

INet4::Addr address_of(TpktClient const& client)
{
    INet4::Addr a;
    a.Assign(client.name(), nullptr);
    return a;
}

template <class Tracer>
struct TracerFixture {
    TracerFixture()
    {
        EXPECT_TRUE(tracer.Listen(0));
        EXPECT_NE(0u, tracer.port());
    }
    std::unique_ptr<TpktClient> connect()
    {
        auto client = std::make_unique<TpktClient>(tracer.port());
        unsigned const before = tracer.connections();
        EXPECT_TRUE(loop.run_until([&] { return tracer.connections() == before + 1; }));
        return client;
    }

    StreamCapture log{std::clog};
    LoopStepper loop;
    Tracer tracer;
};

} // namespace

// Empty frames are skipped; an answer from inside OnMessage goes only to the
// client that sent the frame, a send outside it to every client.
TEST(TpktTracer, DeliversPayloadsAndAnswersTheSenderOnly)
{
    TracerFixture<TPKTTracer> f;
    PlainObserver observer;
    f.tracer.SetNotify(&observer);
    auto a = f.connect();
    auto b = f.connect();
    EXPECT_EQ(2, occurrences(f.log.text(), "ACP connection open from 127.0.0.1:"));
    observer.answer = [&](void const*, unsigned) { EXPECT_TRUE(f.tracer.Send("\x51", 1)); };
    ASSERT_TRUE(a->send("03 00 00 04  03 00 00 06 41 42"));
    ASSERT_TRUE(f.loop.run_until([&] { return !observer.messages.empty(); }));
    EXPECT_THAT(observer.messages, ElementsAre("41 42"));
    EXPECT_EQ("03 00 00 05 51", a->receive_hex(5));

    observer.answer = nullptr;
    EXPECT_TRUE(f.tracer.Send("\x61\x62", 2));
    EXPECT_EQ("03 00 00 06 61 62", b->receive_hex(6)) << "b got nothing before";
    EXPECT_EQ("03 00 00 06 61 62", a->receive_hex(6));
}

// What breaks the framing closes that client only; the largest payload is
// 512 bytes for the plain tracer and 2048 for the peer-to-peer one.
TEST(TpktTracer, ClientsBreakingTheFramingAreClosed)
{
    struct Case {
        char const* what;
        std::vector<unsigned char> bytes;
        bool plain_closes;
        bool p2p_closes;
    };
    std::vector<unsigned char> big = tpkt_frame(payload_of(600));
    std::vector<unsigned char> biggest = tpkt_frame(payload_of(2048));
    std::vector<unsigned char> beyond = tpkt_frame(payload_of(2049));
    Case const cases[] = {
        {"600-byte payload", big, true, false},
        {"2048-byte payload", biggest, true, false},
        {"2049-byte payload", beyond, true, true},
        {"bad version", bytes_of("04 00 00 05 01"), true, true},
        {"bad reserved", bytes_of("03 01 00 05 01"), true, true},
        {"length 3", bytes_of("03 00 00 03 01"), true, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        {
            TracerFixture<TPKTTracer> f;
            PlainObserver observer;
            f.tracer.SetNotify(&observer);
            auto bystander = f.connect();
            auto client = f.connect();
            ASSERT_TRUE(client->send(c.bytes));
            if (c.plain_closes) {
                EXPECT_TRUE(f.loop.run_until([&] { return f.tracer.connections() == 1; }));
                EXPECT_TRUE(client->closed_within(1000));
                EXPECT_THAT(observer.messages, IsEmpty());
            } else {
                EXPECT_TRUE(f.loop.run_until([&] { return observer.messages.size() == 1; }));
            }
            ASSERT_TRUE(bystander->send("03 00 00 05 07"));
            EXPECT_TRUE(f.loop.run_until([&] { return !observer.messages.empty() && observer.messages.back() == "07"; }));
        }
        {
            TracerFixture<TPKTTracerP2P> f;
            PeerObserver observer;
            f.tracer.SetNotify(&observer);
            auto client = f.connect();
            ASSERT_TRUE(client->send(c.bytes));
            if (c.p2p_closes) {
                EXPECT_TRUE(f.loop.run_until([&] { return f.tracer.connections() == 0; }));
                EXPECT_THAT(observer.closes, ElementsAre(client->name()));
                EXPECT_THAT(observer.messages, IsEmpty());
            } else {
                EXPECT_TRUE(f.loop.run_until([&] { return observer.messages.size() == 1; }));
                EXPECT_EQ(client->name() + " " + packet_of(std::vector<unsigned char>(c.bytes.begin() + 4, c.bytes.end())).text(),
                          observer.messages[0]);
            }
        }
    }
}

// Clients are told apart by address and port: each send reaches its own
// client, an unknown address none, and the observer hears of connects and
// closes with the descriptor the connection keeps.
TEST(TpktTracerP2P, AddressesClientsOneByOne)
{
    TracerFixture<TPKTTracerP2P> f;
    PeerObserver observer;
    f.tracer.SetNotify(&observer);
    auto a = f.connect();
    auto b = f.connect();
    ASSERT_EQ(2u, observer.connects.size());
    EXPECT_TRUE(observer.connects[0].IsEqual(address_of(*a)));
    EXPECT_TRUE(observer.connects[1].IsEqual(address_of(*b)));
    EXPECT_THAT(observer.fds_valid, ElementsAre(true, true));
    EXPECT_EQ(1, occurrences(f.log.text(), "TPKT peer-to-peer connection open from " + a->name() + "\n"));

    EXPECT_EQ(1, f.tracer.Send(address_of(*b), "\x22", 1));
    EXPECT_EQ("03 00 00 05 22", b->receive_hex(5));
    INet4::Addr nobody = address_of(*a);
    nobody.SetPort(nobody.GetPort() == 1 ? 2 : 1);
    EXPECT_EQ(-EFAULT, f.tracer.Send(nobody, "\x33", 1));
    EXPECT_EQ(-EFAULT, f.tracer.Close(nobody));
    EXPECT_FALSE(f.tracer.IsConnected(nobody));

    // The observer answers the sender and then closes it.
    observer.answer = [&](INet4::Addr const& peer, void const*, unsigned) {
        EXPECT_EQ(1, f.tracer.Send(peer, "\x44", 1));
        EXPECT_EQ(0, f.tracer.Close(peer));
    };
    ASSERT_TRUE(a->send("03 00 00 05 01  03 00 00 05 02"));
    ASSERT_TRUE(f.loop.run_until([&] { return !observer.closes.empty(); }));
    EXPECT_THAT(observer.messages, ElementsAre(a->name() + " 01")) << "nothing read after the close";
    EXPECT_EQ("03 00 00 05 44", a->receive_hex(5));
    EXPECT_TRUE(a->closed_within(1000));
    EXPECT_THAT(observer.closes, ElementsAre(a->name()));
    EXPECT_EQ(1, occurrences(f.log.text(), "TPKT peer-to-peer connection close for " + a->name() + "\n"));
    EXPECT_TRUE(f.tracer.IsConnected(address_of(*b)));
}

// A payload no frame can carry is refused and nothing is sent; a client
// that went away makes the send fail and is closed.
TEST(TpktTracerP2P, RefusesOversizePayloadsAndSurvivesVanishedClients)
{
    TracerFixture<TPKTTracerP2P> f;
    PeerObserver observer;
    f.tracer.SetNotify(&observer);
    auto a = f.connect();
    std::vector<unsigned char> huge = payload_of(0xFFFF - 3);
    EXPECT_EQ(-EMSGSIZE, f.tracer.Send(address_of(*a), huge.data(), static_cast<unsigned>(huge.size())));
    EXPECT_TRUE(f.tracer.IsConnected(address_of(*a)));
    EXPECT_EQ(0u, a->receive(1, 50).size());

    INet4::Addr const gone = address_of(*a);
    a.reset();
    int sent = 0;
    for (int i = 0; i < 10 && sent >= 0; ++i)
        sent = f.tracer.Send(gone, "\x01", 1);
    EXPECT_THAT(sent, ::testing::AnyOf(-EPIPE, -ECONNRESET, -EFAULT));
    EXPECT_TRUE(f.loop.run_until([&] { return f.tracer.connections() == 0; }));

    TracerFixture<TPKTTracer> plain;
    auto b = plain.connect();
    EXPECT_FALSE(plain.tracer.Send(huge.data(), static_cast<unsigned>(huge.size())));
    EXPECT_EQ(1u, plain.tracer.connections());
    EXPECT_EQ(0u, b->receive(1, 50).size());
}

namespace {

// Sends a frame in pieces, the header itself split, letting the tracer read
// each piece before the next goes out; the last byte goes out with a whole
// frame behind it. Returns what the observer had heard before that last
// byte, and all it heard in the end.
template <class Tracer>
std::pair<std::vector<std::string>, std::vector<std::string>> feedInPieces(TracerFixture<Tracer>& f, TpktClient& client,
                                                                           std::vector<std::string> const& heard)
{
    char const* const pieces[] = {"03", "00 00", "09 41", "42 43", "44"};
    for (char const* piece : pieces) {
        EXPECT_TRUE(client.send(piece));
        f.loop.pass(50);
    }
    std::vector<std::string> const early = heard;
    EXPECT_TRUE(client.send("45  03 00 00 05 46"));
    EXPECT_TRUE(f.loop.run_until([&] { return heard.size() >= 2; }));
    return {early, heard};
}

} // namespace

// A frame that arrives over several reads, header and payload each split,
// is delivered once, whole, when its last byte is read; the framing stays
// in step for the frame after it.
TEST(TpktTracer, AFrameSplitAcrossReadsIsDeliveredWhole)
{
    {
        TracerFixture<TPKTTracer> f;
        PlainObserver observer;
        f.tracer.SetNotify(&observer);
        auto client = f.connect();
        auto heard = feedInPieces(f, *client, observer.messages);
        EXPECT_THAT(heard.first, IsEmpty());
        EXPECT_THAT(heard.second, ElementsAre("41 42 43 44 45", "46"));
        EXPECT_EQ(1u, f.tracer.connections());
    }
    {
        TracerFixture<TPKTTracerP2P> f;
        PeerObserver observer;
        f.tracer.SetNotify(&observer);
        auto client = f.connect();
        auto heard = feedInPieces(f, *client, observer.messages);
        ASSERT_EQ(1u, observer.connects.size());
        std::string const peer = observer.connects[0].GetString() + " ";
        EXPECT_THAT(heard.first, IsEmpty());
        EXPECT_THAT(heard.second, ElementsAre(peer + "41 42 43 44 45", peer + "46"));
        EXPECT_THAT(observer.closes, IsEmpty());
    }
}

#include "runtime/packet/TpktProtocol.h"

#include "support/LoopStepper.h"
#include "support/ProtocolTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A TPKT layer alone in a recording owner: what it sends reaches the
// owner's transmit, what it completes the owner's on_message.
struct TpktFixture : ::testing::Test {
    TpktFixture() { owner.add_protocol_tail(tpkt); }

    void feed(std::vector<unsigned char> const& bytes)
    {
        Packet p = packet_of(bytes);
        tpkt->receive(p);
        EXPECT_EQ(0u, p.length()) << "every byte is consumed";
    }
    void feed(std::string const& hex) { feed(bytes_of(hex)); }

    void send(std::string const& hex)
    {
        Packet p;
        tpkt->prepare_head(p);
        std::vector<unsigned char> bytes = bytes_of(hex);
        p.append(bytes.data(), static_cast<unsigned>(bytes.size()));
        tpkt->message(p);
    }

    StreamCapture log{std::clog};
    RecordingOwner owner;
    Tpkt_protocol* tpkt = new Tpkt_protocol;
};

} // namespace

TEST_F(TpktFixture, FramesArrivingInAnyReadsAreDeliveredWhole)
{
    struct Case {
        char const* what;
        std::vector<std::string> reads;
        std::vector<std::string> payloads;
        std::string log;
    };
    Case const cases[] = {
        {"one read", {"03 00 00 07 41 42 43"}, {"41 42 43"}, ""},
        {"three reads", {"03", "00 00", "07 41 42 43"}, {"41 42 43"}, ""},
        {"split in the payload", {"03 00 00 08 01 02", "03", "04"}, {"01 02 03 04"}, ""},
        {"two frames in one read", {"03 00 00 05 01 03 00 00 06 02 03"}, {"01", "02 03"}, ""},
        {"empty payload", {"03 00 00 04"}, {""}, ""},
        {"empty payload then a frame", {"03 00 00 04 03 00", "00 05 07"}, {"", "07"}, ""},
        {"stray byte before a frame", {"55 03 00 00 05 01"}, {"01"}, "(no name) bad TPKT packet start.\n"},
        {"every wrong byte is reported", {"FF", "FF 03 00 00 05 01"}, {"01"},
         "(no name) bad TPKT packet start.\n(no name) bad TPKT packet start.\n"},
        {"bad reserved byte", {"03 01 03 00 00 05 01"}, {"01"}, "(no name) bad TPKT reserved.\n"},
        {"length below the header", {"03 00 00 03 03 00 00 05 01"}, {"01"}, "TPKT too small 3\n"},
        {"zero length", {"03 00 00 00"}, {}, "TPKT too small 0\n"},
    };
    for (auto const& c : cases) {
        RecordingOwner fresh;
        auto* layer = new Tpkt_protocol;
        fresh.add_protocol_tail(layer);
        log.clear();
        for (auto const& read : c.reads) {
            Packet p = packet_of(read);
            layer->receive(p);
        }
        EXPECT_EQ(c.payloads, fresh.received) << c.what;
        EXPECT_EQ(c.log, log.text()) << c.what;
        EXPECT_EQ(Tpkt_protocol::idle, layer->state()) << c.what;
    }
}

TEST_F(TpktFixture, EverySplitOfAStreamGivesTheSameFrames)
{
    std::vector<unsigned char> const stream =
        bytes_of("55 03 00 00 07 41 42 43 03 00 00 04 03 01 03 00 00 06 0A 0B 03 00 00 05 FF");
    std::vector<std::string> const payloads = {"41 42 43", "", "0A 0B", "FF"};
    std::string const expected_log = "(no name) bad TPKT packet start.\n(no name) bad TPKT reserved.\n";
    std::size_t n = stream.size();
    for (std::size_t i = 0; i <= n; ++i) {
        for (std::size_t j = i; j <= n; ++j) {
            RecordingOwner fresh;
            auto* layer = new Tpkt_protocol;
            fresh.add_protocol_tail(layer);
            log.clear();
            std::vector<unsigned char> const parts[] = {
                {stream.begin(), stream.begin() + i},
                {stream.begin() + i, stream.begin() + j},
                {stream.begin() + j, stream.end()},
            };
            for (auto const& part : parts) {
                Packet p = packet_of(part);
                layer->receive(p);
            }
            ASSERT_EQ(payloads, fresh.received) << "cut at " << i << " and " << j;
            ASSERT_EQ(expected_log, log.text()) << "cut at " << i << " and " << j;
        }
    }
}

TEST_F(TpktFixture, LargestFrameIsDelivered)
{
    std::vector<unsigned char> frame = {3, 0, 0xFF, 0xFF};
    for (unsigned i = 0; i < Tpkt_protocol::max_payload; ++i)
        frame.push_back(static_cast<unsigned char>(i * 7));
    std::vector<unsigned char> first(frame.begin(), frame.begin() + 30000);
    std::vector<unsigned char> rest(frame.begin() + 30000, frame.end());
    feed(first);
    EXPECT_EQ(Tpkt_protocol::body, tpkt->state());
    feed(rest);
    ASSERT_THAT(owner.received_lengths, ElementsAre(65531u));
    EXPECT_EQ(Tpkt_protocol::idle, tpkt->state());
}

TEST_F(TpktFixture, SendingPutsTheHeaderInFront)
{
    send("41 42 43");
    send("");
    EXPECT_THAT(owner.sent, ElementsAre("03 00 00 07 41 42 43", "03 00 00 04"));

    Packet largest;
    tpkt->prepare_head(largest);
    std::vector<unsigned char> payload(Tpkt_protocol::max_payload, 0x5A);
    largest.append(payload.data(), static_cast<unsigned>(payload.size()));
    tpkt->message(largest);
    ASSERT_EQ(3u, owner.sent.size());
    EXPECT_EQ("03 00 FF FF 5A", owner.sent[2].substr(0, 14));
    EXPECT_EQ("", log.text());
}

TEST_F(TpktFixture, OversizePayloadIsRefusedAndTheLinkStaysUp)
{
    Packet p;
    tpkt->prepare_head(p);
    std::vector<unsigned char> payload(Tpkt_protocol::max_payload + 1, 0x5A);
    p.append(payload.data(), static_cast<unsigned>(payload.size()));
    tpkt->message(p);
    EXPECT_THAT(owner.sent, IsEmpty());
    EXPECT_THAT(owner.statuses, IsEmpty());
    EXPECT_EQ("(no name) TPKT length too big, sent = 65532 max = 65531\n", log.text());
    EXPECT_EQ(65532u, p.length());

    send("01");
    EXPECT_THAT(owner.sent, ElementsAre("03 00 00 05 01"));
}

TEST_F(TpktFixture, ActivationAndDeactivationDropAPartialFrame)
{
    feed("03 00 00 09 01 02");
    tpkt->activate();
    EXPECT_EQ(1, owner.activations);
    EXPECT_EQ(Tpkt_protocol::idle, tpkt->state());
    feed("03 00 00 05 07 03 00");
    tpkt->deactivate();
    EXPECT_THAT(owner.statuses, ElementsAre("ok TPKT deactivated"));
    EXPECT_EQ(Tpkt_protocol::idle, tpkt->state());
    feed("03 00 00 05 08");
    EXPECT_THAT(owner.received, ElementsAre("07", "08"));
}

TEST(TpktTimeout, PartialFrameIsDroppedThreeSecondsAfterTheLastRead)
{
    StreamCapture log(std::clog);
    LoopStepper loop;
    RecordingOwner owners[3];
    Tpkt_protocol* layers[3];
    for (int i = 0; i < 3; ++i) {
        layers[i] = new Tpkt_protocol;
        owners[i].add_protocol_tail(layers[i]);
    }
    auto feed = [&](int i, char const* hex) {
        Packet p = packet_of(hex);
        layers[i]->receive(p);
    };
    auto timeouts = [&] { return occurrences(log.text(), " TPKT packet timeout.\n"); };
    // All three start a frame; one second later the second completes its
    // frame and the third gets more of its own, which restarts its 3000 ms.
    feed(0, "03 00 00 06 01");
    feed(1, "03 00 00 06 01");
    feed(2, "03 00 00 07 01");
    loop.advance(1000);
    feed(1, "02");
    feed(2, "02");
    loop.advance(1999);
    EXPECT_EQ(0, timeouts());
    loop.advance(1);
    EXPECT_EQ(1, timeouts());
    loop.advance(999);
    EXPECT_EQ(1, timeouts());
    EXPECT_EQ(Tpkt_protocol::body, layers[2]->state());
    loop.advance(1);
    EXPECT_EQ(2, timeouts());
    EXPECT_EQ(Tpkt_protocol::idle, layers[2]->state());

    EXPECT_EQ(Tpkt_protocol::idle, layers[0]->state());
    EXPECT_THAT(owners[0].received, IsEmpty());
    EXPECT_THAT(owners[1].received, ElementsAre("01 02"));
    EXPECT_THAT(owners[2].received, IsEmpty());

    feed(0, "03 00 00 05 09");
    EXPECT_THAT(owners[0].received, ElementsAre("09"));
}

// The generated types on the wire and in value notation: hand-derived PER
// encodings of control-link messages, a copy and a round trip of one
// representative value of every type of every module in both PER variants,
// in BER and in value notation, and the refusal of values that carry a stand-in.
#include "RepresentativeValue.h"

#include "protocol/asn1/notation/ValueNotation.h"
#include "protocol/schemas/TypeTable.h"
#include "protocol/schemas/ZUZU.h"
#include "support/HexText.h"

#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

namespace {

typedef std::vector<char> Octets;

bool encode(ASN1::AbstractData const& value, Octets& out, int rule = ASN1::CoderEnv::per_Aligned)
{
    ASN1::CoderEnv env(rule);
    out.clear();
    return env.encode(value, std::back_inserter(out));
}

bool decode(Octets const& in, ASN1::AbstractData& value, int rule = ASN1::CoderEnv::per_Aligned)
{
    ASN1::CoderEnv env(rule);
    return env.decode(in.data(), in.data() + in.size(), value, true);
}

template <class T>
T& selectAs(ASN1::CHOICE& choice, int selection)
{
    choice.select(selection);
    return static_cast<T&>(*choice.getValue());
}

ZUZU::Message command(int alternative)
{
    ZUZU::Message message;
    selectAs<ZUZU::Command>(message.ref_pdu(), ZUZU::PDU::command).select(alternative);
    return message;
}

ZUZU::Message tonecSignal(int code)
{
    ZUZU::Message message;
    ZUZU::Signal& signal = selectAs<ZUZU::Signal>(message.ref_pdu(), ZUZU::PDU::signal);
    ZUZU::TonecEvent& event = selectAs<ZUZU::TonecEvent>(signal, ZUZU::Signal::tonec);
    event.set_timestamp(0);
    event.ref_event().select(code);
    return message;
}

TEST(SchemaCoding, ControlLinkMessagesHaveTheirHandDerivedEncodings)
{
    ZUZU::Message ping = command(ZUZU::Command::ping);
    ZUZU::Message pingWithSeq = ping;
    pingWithSeq.set_seq(7);
    ZUZU::Message pingWithSeqAndSlot = pingWithSeq;
    pingWithSeqAndSlot.set_slot(5);
    ZUZU::Message success;
    selectAs<ZUZU::Response>(success.ref_pdu(), ZUZU::PDU::response).select(ZUZU::Response::success);
    ZUZU::Message error;
    selectAs<ZUZU::ErrorCause>(selectAs<ZUZU::Response>(error.ref_pdu(), ZUZU::PDU::response), ZUZU::Response::error)
        .setValue(ZUZU::ErrorCause::unexpectedMsgType);

    struct Case {
        char const* what;
        ZUZU::Message const& message;
        char const* octets;
    };
    Case const cases[] = {
        {"ping", ping, "06 00"},
        {"ping with seq 7", pingWithSeq, "80 01 07 18"},
        {"ping with seq 7 and slot 5", pingWithSeqAndSlot, "C0 01 07 00 05 18"},
        {"success", success, "10"},
        // Response alternative 1, then the extension bit 0 and 4 in 0..12 as 4 bits.
        {"error unexpectedMsgType", error, "19 00"},
        // Signal 1 tonec, timestamp 0 as an aligned length and octet, then
        // TonecCode alternative 2 in the root: extension bit 0 and 2 in 3 bits.
        {"tonec ced", tonecSignal(ZUZU::TonecCode::ced), "20 40 01 00 20"},
        // dtmfDone is an extension addition: extension bit 1, index 0 as a
        // small number, then the NULL as an open type of one zero octet.
        {"tonec dtmfDone", tonecSignal(ZUZU::TonecCode::dtmfDone), "20 40 01 00 80 01 00"},
    };
    for (Case const& c : cases) {
        Octets out;
        ASSERT_TRUE(encode(c.message, out)) << c.what;
        EXPECT_EQ(c.octets, hexText(out)) << c.what;
        ZUZU::Message back;
        ASSERT_TRUE(decode(out, back)) << c.what;
        EXPECT_EQ(0, back.compare(c.message)) << c.what;
    }
}

TEST(SchemaCoding, SlotAndConnectTargetOutsideTheirRangeCannotBeEncoded)
{
    typedef ASN1::Constrained_INTEGER<ASN1::FixedConstraint, 0, 1023> Target;
    for (unsigned n : {1023u, 1024u}) {
        ZUZU::Message slot = command(ZUZU::Command::ping);
        slot.set_slot(n);
        ZUZU::Message connect = command(ZUZU::Command::connect);
        static_cast<Target&>(*static_cast<ZUZU::Command&>(*connect.ref_pdu().getValue()).getValue()) = n;
        Octets out;
        EXPECT_EQ(n <= 1023, encode(slot, out)) << n;
        EXPECT_EQ(n <= 1023, encode(connect, out)) << n;
    }
}

TEST(SchemaCoding, EveryTypeRoundTripsARepresentativeValue)
{
    unsigned codableTypes = 0;
    for (unsigned i = 0; i < Schemas::typeCount; ++i) {
        Schemas::TypeEntry const& entry = Schemas::typeTable[i];
        EXPECT_EQ("", SchemaTest::roundTripRepresentative(entry.info)) << entry.name;
        codableTypes += SchemaTest::codable(entry.info);
    }
    EXPECT_GT(codableTypes, 300u);
}

TEST(SchemaCoding, AMessageCarryingAStandInIsNeitherCodedNorReadButStillLogs)
{
    ZUZU::Message message;
    selectAs<ZUZU::Signal>(message.ref_pdu(), ZUZU::PDU::signal).select(ZUZU::Signal::rtpExt);
    ASSERT_NE(nullptr, dynamic_cast<TERM::RtpRadioRequest const*>(
        static_cast<ZUZU::Signal const&>(*message.get_pdu().getValue()).getValue()));
    EXPECT_EQ(0, ZUZU::Message(message).compare(message));
    Octets out;
    EXPECT_FALSE(encode(message, out));
    EXPECT_FALSE(encode(message, out, ASN1::CoderEnv::per_Unaligned));
    EXPECT_FALSE(encode(message, out, ASN1::CoderEnv::ber));
    EXPECT_FALSE(encode(message, out, ASN1::CoderEnv::avn));

    std::ostringstream log;
    log << message << " and on";
    EXPECT_TRUE(log.good());
    EXPECT_NE(std::string::npos, log.str().find("rtpExt : <value without notation>")) << log.str();
    EXPECT_NE(std::string::npos, log.str().find("} and on")) << log.str();
    ZUZU::Message read;
    EXPECT_FALSE(read.setFromValueNotation("{ pdu signal : rtpExt : {} }"));

    // Signal 15 rtpExt followed by octets that the stand-in cannot take.
    for (Octets const& in : {Octets{'\x23', '\xC0'}, Octets{'\x23', '\xC0', '\x00', '\x00', '\x00', '\x00'}}) {
        ZUZU::Message back;
        EXPECT_FALSE(decode(in, back)) << hexText(in);
    }
    // The same frame with signal 16 vad (two absent BOOLEANs) decodes.
    ZUZU::Message vad;
    EXPECT_TRUE(decode(Octets{'\x24', '\x00'}, vad));
}

} // namespace

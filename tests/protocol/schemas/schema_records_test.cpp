// The generated classes of the real schema modules: every record against its
// schema table, the type table, the typed accessors and constants, and the
// stand-ins of the types whose members are unknown.
#include "RecordDescription.h"
#include "RepresentativeValue.h"

#include "protocol/schemas/TypeTable.h"
#include "protocol/schemas/ZUZU.h"

#include <gtest/gtest.h>

#include <cstring>
#include <typeinfo>

namespace {

using SchemaTest::Description;
using SchemaTest::RecordDescriber;

Description const descriptions[] = {
#include "protocol/schemas/Descriptions.inc"
};
unsigned const descriptionCount = sizeof descriptions / sizeof descriptions[0];

RecordDescriber describerOfAllModules()
{
    std::map<RecordDescriber::Record const*, std::string> names;
    for (unsigned i = 0; i < Schemas::typeCount && i < descriptionCount; ++i) {
        if (RecordDescriber::isNamedKind(descriptions[i].text))
            names[Schemas::typeTable[i].info] = Schemas::typeTable[i].name;
    }
    return RecordDescriber(names);
}

TEST(SchemaRecords, EveryRecordMatchesItsSchemaTable)
{
    ASSERT_EQ(Schemas::typeCount, descriptionCount);
    RecordDescriber describer = describerOfAllModules();
    for (unsigned i = 0; i < descriptionCount; ++i) {
        Schemas::TypeEntry const& entry = Schemas::typeTable[i];
        ASSERT_STREQ(descriptions[i].name, entry.name);
        EXPECT_EQ(descriptions[i].text, describer.describe(entry.info)) << entry.name;
    }
}

TEST(SchemaRecords, TypeTableFindsQualifiedNamesOnly)
{
    EXPECT_EQ(&ZUZU::Message::theInfo, Schemas::findType("ZUZU.Message"));
    EXPECT_EQ(&TERM::RtpParams::theInfo, Schemas::findType("TERM.RtpParams"));
    EXPECT_EQ(Schemas::typeTable[0].info, Schemas::findType(Schemas::typeTable[0].name));
    Schemas::TypeEntry const& last = Schemas::typeTable[Schemas::typeCount - 1];
    EXPECT_EQ(last.info, Schemas::findType(last.name));
    for (char const* name : {"ZUZU::Message", "ZUZU.Messag", "ZUZU.Message ", "zuzu.Message", "Message", "", "ZZZZ.X"})
        EXPECT_EQ(nullptr, Schemas::findType(name)) << name;
}

TEST(SchemaRecords, ValuesMadeOrClonedThroughARecordAreOfTheGeneratedClass)
{
    for (unsigned i = 0; i < Schemas::typeCount; ++i) {
        Schemas::TypeEntry const& entry = Schemas::typeTable[i];
        std::unique_ptr<ASN1::AbstractData> value(entry.info->create(entry.info));
        SchemaTest::fillRepresentative(*value);
        std::unique_ptr<ASN1::AbstractData> copy = value->clone();
        EXPECT_TRUE(typeid(*value) == typeid(*copy)) << entry.name;
        EXPECT_EQ(0, copy->compare(*value)) << entry.name;
    }
    std::unique_ptr<ASN1::AbstractData> message(ZUZU::Message::theInfo.create(&ZUZU::Message::theInfo));
    EXPECT_NE(nullptr, dynamic_cast<ZUZU::Message*>(message.get()));
}

// The alternative numbers that the services dispatch on.
static_assert(ZUZU::PDU::command == 0 && ZUZU::PDU::signal == 2);
static_assert(ZUZU::Command::ping == 12 && ZUZU::Command::protoDuvo == 14);
static_assert(ZUZU::CreateParams::trunk == 7 && ZUZU::CreateParams::trunk_bri == 8);
static_assert(ZUZU::CreateParams::spi_tdm == 16 && ZUZU::CreateParams::usb_tdm == 19);
static_assert(ZUZU::IoctlParams::dtmf_params == 10 && ZUZU::IoctlParams::selcal == 37);
static_assert(ZUZU::Signal::trunkStatus == 11 && ZUZU::Signal::selcal == 22);
static_assert(ZUZU::TonecCode::dtmfDone == 6);
static_assert(ZUZU::ErrorCause::destroyInProgress == 12);
static_assert(TERM::RtpParams::e_shost == 0 && TERM::RtpParams::e_qos_dscp == 11 && TERM::ED137RadioResponse::e_transmission_depend_on_squ == 13);
static_assert(TERM::IpQoSDSCP::cs7 == 56 && TERM::IpQoSDSCP::voice_admit == 44 && TERM::IpQoSDSCP::count == 23);

TEST(SchemaRecords, EnumerationNamesGoByDeclaredNumberFirstNameFirst)
{
    struct Case {
        ASN1::ENUMERATED::InfoType const* info;
        char const* name;   // read
        int number;         // gives
        char const* printed; // and prints as
    };
    Case const cases[] = {
        {&VUVERI::ProtoDuvoAnalogGainIDV1::theInfo, "min", 0, "rtx1"},
        {&VUVERI::ProtoDuvoAnalogGainIDV1::theInfo, "max", 10, "rsh"},
        {&VUVERI::ProtoDuvoAnalogGainIDV1::theInfo, "fake", 255, "fake"},
        {&VUVERI::ProtoDuvoCountersNSizes::theInfo, "digital2WireLineCount", 2, "ggsChannelsCount"},
        {&VUVERI::ProtoDuvoAnalogGainV1::theInfo, "count", 11, "count"},
        {&TERM::IpQoSDSCP::theInfo, "cs7", 56, "cs7"},
        {&TERM::ED137CauseCode::theInfo, "radio-no-permissions", 2099, "radio-no-permissions"},
        {&VUVERI::ProtoDuvoMsgID::theInfo, "gw-get-id", 4097, "gw-get-id"},
    };
    for (Case const& c : cases) {
        ASN1::ENUMERATED value(c.info);
        ASSERT_TRUE(value.setFromName(c.name)) << c.name;
        EXPECT_EQ(c.number, value.getValue()) << c.name;
        EXPECT_EQ(c.printed, value.getName()) << c.name;
    }
    ASN1::ENUMERATED dscp(&TERM::IpQoSDSCP::theInfo);
    EXPECT_FALSE(dscp.setFromName("count")) << "a constant is not an item";
    dscp.setValue(23);
    EXPECT_EQ("", dscp.getName());
    EXPECT_EQ(56, dscp.getMaximum());
}

TEST(SchemaRecords, SettersStoreTheValueAndMarkOptionalFieldsPresent)
{
    ZUZU::Message message;
    EXPECT_FALSE(message.hasOptionalField(ZUZU::Message::e_seq));
    message.set_seq(-7);
    message.set_slot(1023);
    EXPECT_TRUE(message.hasOptionalField(ZUZU::Message::e_seq));
    EXPECT_TRUE(message.hasOptionalField(ZUZU::Message::e_slot));
    EXPECT_EQ(-7, message.get_seq().getValue());
    EXPECT_EQ(1023u, message.get_slot().getValue());

    TERM::RtpParams rtp;
    rtp.set_payload(TERM::Payload::ptG711_Alaw);
    rtp.ref_dhost().set_iaddr("10.0.0.1");
    rtp.ref_dhost().set_port(65535);
    rtp.set_dname("gw");
    rtp.set_vad(true);
    rtp.set_ssrc(4294967295u);
    rtp.set_qos_dscp(TERM::IpQoSDSCP::ef);
    EXPECT_EQ("10.0.0.1", static_cast<std::string const&>(rtp.get_dhost().get_iaddr()));
    EXPECT_EQ(65535u, rtp.get_dhost().get_port().getValue());
    EXPECT_EQ(4294967295u, rtp.get_ssrc().getValue());
    EXPECT_EQ(TERM::IpQoSDSCP::ef, rtp.get_qos_dscp().getValue());
    EXPECT_TRUE(rtp.get_vad());
    EXPECT_FALSE(rtp.hasOptionalField(TERM::RtpParams::e_shost));
    for (unsigned option : {TERM::RtpParams::e_dname, TERM::RtpParams::e_vad, TERM::RtpParams::e_ssrc,
                            TERM::RtpParams::e_qos_dscp})
        EXPECT_TRUE(rtp.hasOptionalField(option)) << option;
    // The sized name keeps its own record, and with it its size bounds.
    EXPECT_EQ(1, rtp.get_dname().getLowerLimit());
    EXPECT_EQ(64u, rtp.get_dname().getUpperLimit());

    TERM::ModemParams modem;
    modem.set_fax();
    EXPECT_TRUE(modem.hasOptionalField(TERM::ModemParams::e_fax));
    EXPECT_FALSE(modem.hasOptionalField(TERM::ModemParams::e_originate));

    ZUZU::CreateRtpParams create;
    create.set_codecRTP(rtp);
    rtp.set_vad(false);
    EXPECT_TRUE(create.get_codecRTP().get_vad()) << "a structured setter copies deeply";

    ZUZU::MixerOutParams mixer;
    ZUZU::MixerInput input;
    input.set_gain(-3);
    mixer.ref_inputs().push_back(input);
    mixer.ref_inputs().push_back(input);
    EXPECT_EQ(2u, mixer.get_inputs().size());
    EXPECT_EQ(-3, mixer.get_inputs()[1].get_gain().getValue());
}

TEST(SchemaRecords, StandInsRefuseEveryVisitorButCopyAndCompare)
{
    struct AnyVisitor : ASN1::ConstVisitor {};
    ZUZU::Signal signal;
    ASSERT_TRUE(signal.select(ZUZU::Signal::rtpExt));
    ASN1::AbstractData* standIn = signal.getValue();
    ASSERT_NE(nullptr, dynamic_cast<TERM::RtpRadioRequest*>(standIn));
    AnyVisitor visitor;
    EXPECT_FALSE(standIn->accept(visitor));

    ZUZU::Signal copy(signal);
    EXPECT_EQ(0, copy.compare(signal));
    EXPECT_NE(nullptr, dynamic_cast<TERM::RtpRadioRequest*>(copy.getValue()));
    TERM::RadioModifier other;
    EXPECT_NE(0, other.compare(*standIn));
}

} // namespace

// The generated classes of the real schema modules: every record against its
// schema table, the type table, and the typed accessors and constants.
#include "RecordDescription.h"

#include "protocol/schemas/TypeTable.h"
#include "protocol/schemas/ZUZU.h"

#include <gtest/gtest.h>

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
        {&VUVERI::ProtoDuvoCountersNSizes::theInfo, "digital2WireLineCount", 2, "ggsChannelsCount"},
        {&VUVERI::ProtoDuvoAnalogGainV1::theInfo, "count", 11, "count"},
    };
    for (Case const& c : cases) {
        ASN1::ENUMERATED value(c.info);
        ASSERT_TRUE(value.setFromValueNotation(c.name)) << c.name;
        EXPECT_EQ(c.number, value.getValue()) << c.name;
        EXPECT_EQ(c.printed, value.asValueNotation()) << c.name;
    }
    TERM::IpQoSDSCP dscp;
    EXPECT_FALSE(dscp.setFromValueNotation("count")) << "a constant is not an item";
    EXPECT_EQ(56, dscp.getMaximum());
}

TEST(SchemaRecords, SettersStoreTheValueAndMarkOptionalFieldsPresent)
{
    TERM::RtpParams rtp;
    rtp.set_payload(TERM::Payload::ptG711_Ulaw);
    rtp.ref_dhost().set_port(65535);
    rtp.set_dname("gw");
    rtp.set_ssrc(4294967295u);
    rtp.set_qos_dscp(TERM::IpQoSDSCP::ef);
    EXPECT_EQ(TERM::Payload::ptG711_Ulaw, rtp.get_payload().getValue());
    EXPECT_EQ(65535u, rtp.get_dhost().get_port().getValue());
    EXPECT_EQ(4294967295u, rtp.get_ssrc().getValue());
    EXPECT_EQ(TERM::IpQoSDSCP::ef, rtp.get_qos_dscp().getValue());
    EXPECT_FALSE(rtp.hasOptionalField(TERM::RtpParams::e_shost));
    for (unsigned option : {TERM::RtpParams::e_dname, TERM::RtpParams::e_ssrc, TERM::RtpParams::e_qos_dscp})
        EXPECT_TRUE(rtp.hasOptionalField(option)) << option;
    // The sized name has a record of its own, and with it its size bounds.
    EXPECT_EQ(1, rtp.get_dname().getLowerLimit());
    EXPECT_EQ(64u, rtp.get_dname().getUpperLimit());

    ZUZU::CreateRtpParams create;
    create.set_codecRTP(rtp);
    rtp.set_ssrc(1);
    EXPECT_EQ(4294967295u, create.get_codecRTP().get_ssrc().getValue()) << "a structured setter copies deeply";
}

} // namespace

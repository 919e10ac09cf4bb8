#include "fuzz/zuzu_sample_messages.h"

namespace PerFuzz {

namespace {

template <class T>
T& selectAs(ASN1::CHOICE& choice, int selection)
{
    choice.select(selection);
    return static_cast<T&>(*choice.getValue());
}

ZUZU::Command& commandOf(ZUZU::Message& message)
{
    return selectAs<ZUZU::Command>(message.ref_pdu(), ZUZU::PDU::command);
}

ZUZU::Signal& signalOf(ZUZU::Message& message)
{
    return selectAs<ZUZU::Signal>(message.ref_pdu(), ZUZU::PDU::signal);
}

// Without a sequence or slot number when negative.
ZUZU::Message ping(int seq, int slot)
{
    ZUZU::Message message;
    commandOf(message).select(ZUZU::Command::ping);
    if (seq >= 0)
        message.set_seq(seq);
    if (slot >= 0)
        message.set_slot(static_cast<unsigned>(slot));
    return message;
}

// success when error is negative.
ZUZU::Message answer(int seq, int slot, int error)
{
    ZUZU::Message message;
    message.set_seq(seq);
    if (slot >= 0)
        message.set_slot(static_cast<unsigned>(slot));
    ZUZU::Response& response = selectAs<ZUZU::Response>(message.ref_pdu(), ZUZU::PDU::response);
    if (error < 0)
        response.select(ZUZU::Response::success);
    else
        selectAs<ZUZU::ErrorCause>(response, ZUZU::Response::error).setValue(error);
    return message;
}

void fillHost(TERM::HostAddress& host, std::string const& address, unsigned port)
{
    host.set_iaddr(address);
    host.set_port(port);
}

ZUZU::Message createRtp()
{
    ZUZU::Message message;
    message.set_seq(90210);
    message.set_slot(300);
    ZUZU::CreateParams& create = selectAs<ZUZU::CreateParams>(commandOf(message), ZUZU::Command::create);
    ZUZU::CreateRtpParams& rtp = selectAs<ZUZU::CreateRtpParams>(create, ZUZU::CreateParams::rtp);
    TERM::RtpParams& codec = rtp.ref_codecRTP();
    codec.set_payload(TERM::Payload::ptG711_Alaw);
    fillHost(codec.ref_dhost(), "192.168.10.21", 40000);
    fillHost(codec.ref_shost(), "192.168.10.2", 41000);
    codec.ref_jitter().set_start(40);
    codec.ref_jitter().set_max(160);
    codec.set_pfactor(20);
    codec.set_vad(false);
    codec.set_ssrc(3735928559u);
    codec.set_ttl(64);
    codec.set_qos_dscp(TERM::IpQoSDSCP::ef);
    rtp.set_txPayload(TERM::Payload::ptG711_Alaw);
    rtp.set_rxPayload(TERM::Payload::ptG711_Alaw);
    return message;
}

ZUZU::Message connect()
{
    ZUZU::Message message;
    message.set_seq(42);
    message.set_slot(3);
    commandOf(message).select(ZUZU::Command::connect);
    static_cast<ASN1::Constrained_INTEGER<ASN1::FixedConstraint, 0, 1023u>&>(*commandOf(message).getValue()) = 1001;
    return message;
}

// Octets of a recognisable pattern as a command's or a signal's userData.
ZUZU::Message userData(bool command, unsigned length)
{
    ZUZU::Message message;
    message.set_seq(-5);
    message.set_slot(1023);
    ASN1::CHOICE& body = command ? static_cast<ASN1::CHOICE&>(commandOf(message)) : signalOf(message);
    ASN1::OCTET_STRING& data = selectAs<ASN1::OCTET_STRING>(
        body, command ? int(ZUZU::Command::userData) : int(ZUZU::Signal::userData));
    data.resize(length);
    for (unsigned i = 0; i < length; ++i)
        data[i] = static_cast<char>(i * 37 + 11);
    return message;
}

ZUZU::Message ioctlTranslateDtmf()
{
    ZUZU::Message message;
    message.set_slot(9);
    ZUZU::IoctlParams& ioctl = selectAs<ZUZU::IoctlParams>(commandOf(message), ZUZU::Command::ioctl);
    ZUZU::TranslateDtmfParams& dtmf = selectAs<ZUZU::TranslateDtmfParams>(ioctl, ZUZU::IoctlParams::translateDTMF);
    static int const tones[][2] = {{697, 1209}, {770, 1336}, {852, 1477}};
    for (auto const& tone : tones) {
        ZUZU::DualTone pair;
        pair.set_freq1(tone[0]);
        pair.set_freq2(tone[1]);
        dtmf.ref_digits().push_back(pair);
    }
    dtmf.set_amp1(-10);
    dtmf.set_toneDuration(80);
    return message;
}

ZUZU::Message ioctlActivateRecord()
{
    ZUZU::Message message;
    message.set_seq(8);
    message.set_slot(2);
    ZUZU::IoctlParams& ioctl = selectAs<ZUZU::IoctlParams>(commandOf(message), ZUZU::Command::ioctl);
    fillHost(selectAs<TERM::HostAddress>(ioctl, ZUZU::IoctlParams::activateRecord), "recorder.example", 5004);
    return message;
}

ZUZU::Message trunkStatus()
{
    ZUZU::Message message;
    ACP::TrunkStatus& status = selectAs<ACP::TrunkStatus>(signalOf(message), ZUZU::Signal::trunkStatus);
    status.set_trunk(2);
    status.set_state(ACP::TrunkState::lossCarrier);
    status.set_slips(12);
    status.set_lossBF(1);
    status.set_lossCarrier(3);
    status.set_lossAIS(0);
    status.set_lossRAI(0);
    status.set_name("E1-2");
    status.set_clockMaster(true);
    status.set_type(ACP::TrunkType::e1);
    return message;
}

// An extension alternative: an open type in the middle of the message.
ZUZU::Message tonecDtmfDone()
{
    ZUZU::Message message;
    message.set_slot(12);
    ZUZU::TonecEvent& event = selectAs<ZUZU::TonecEvent>(signalOf(message), ZUZU::Signal::tonec);
    event.set_timestamp(987654);
    event.ref_event().select(ZUZU::TonecCode::dtmfDone);
    return message;
}

ZUZU::Message displaySnmpSet()
{
    ZUZU::Message message;
    message.set_seq(300);
    ZUZU::DisplayParams& display = selectAs<ZUZU::DisplayParams>(commandOf(message), ZUZU::Command::display);
    MON::SnmpSetCommands& commands = selectAs<MON::SnmpSetCommands>(display, ZUZU::DisplayParams::snmp_set);
    MON::SnmpSetCommand byOid;
    byOid.set_uniq(1);
    selectAs<ASN1::IA5String>(byOid.ref_id(), MON::SnmpSetCommandId::oid) = "1.3.6.1.4.1.99.1";
    byOid.set_value("on");
    commands.ref_commands().push_back(byOid);
    MON::SnmpSetCommand byName;
    byName.set_uniq(2);
    MON::IniName& name = selectAs<MON::IniName>(byName.ref_id(), MON::SnmpSetCommandId::name);
    name.set_section("traces");
    name.set_name("level");
    name.set_index(0);
    byName.set_value("3");
    commands.ref_commands().push_back(byName);
    return message;
}

} // namespace

std::vector<SampleMessage> const& sampleMessages()
{
    static std::vector<SampleMessage> const samples = {
        {"ping", [] { return ping(-1, -1); }},
        {"ping-seq", [] { return ping(1, -1); }},
        {"ping-seq-slot", [] { return ping(7, 5); }},
        {"ping-slot", [] { return ping(-1, 1000); }},
        {"success", [] { return answer(7, -1, -1); }},
        {"error", [] { return answer(4711, 17, ZUZU::ErrorCause::slotNotExists); }},
        {"error-beyond-root", [] { return answer(2147483647, -1, 40); }},
        {"create-rtp", createRtp},
        {"connect", connect},
        {"userData-short", [] { return userData(true, 2); }},
        {"userData-long", [] { return userData(true, 200); }},
        {"signal-userData", [] { return userData(false, 5); }},
        {"ioctl-translateDTMF", ioctlTranslateDtmf},
        {"ioctl-activateRecord", ioctlActivateRecord},
        {"trunkStatus", trunkStatus},
        {"tonec-dtmfDone", tonecDtmfDone},
        {"display-snmp-set", displaySnmpSet},
    };
    return samples;
}

ZUZU::Message sampleMessage(std::string const& name)
{
    for (SampleMessage const& sample : sampleMessages())
        if (name == sample.name)
            return sample.make();
    return ZUZU::Message();
}

} // namespace PerFuzz

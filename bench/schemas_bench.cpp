// PER aligned encode and decode of whole control-link messages through the
// generated classes: the four kinds of frame the control server handles
// most, from the smallest to one of the largest commands.
#include "protocol/schemas/ZUZU.h"

#include <benchmark/benchmark.h>

#include <iterator>
#include <vector>

namespace {

template <class T>
T& selectAs(ASN1::CHOICE& choice, int selection)
{
    choice.select(selection);
    return static_cast<T&>(*choice.getValue());
}

ZUZU::Message ping()
{
    ZUZU::Message message;
    message.set_seq(1);
    selectAs<ZUZU::Command>(message.ref_pdu(), ZUZU::PDU::command).select(ZUZU::Command::ping);
    return message;
}

ZUZU::Message errorAnswer()
{
    ZUZU::Message message;
    message.set_seq(4711);
    message.set_slot(17);
    ZUZU::Response& response = selectAs<ZUZU::Response>(message.ref_pdu(), ZUZU::PDU::response);
    selectAs<ZUZU::ErrorCause>(response, ZUZU::Response::error).setValue(ZUZU::ErrorCause::slotNotExists);
    return message;
}

ZUZU::Message trunkStatus()
{
    ZUZU::Message message;
    ZUZU::Signal& signal = selectAs<ZUZU::Signal>(message.ref_pdu(), ZUZU::PDU::signal);
    ACP::TrunkStatus& status = selectAs<ACP::TrunkStatus>(signal, ZUZU::Signal::trunkStatus);
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

ZUZU::Message createRtp()
{
    ZUZU::Message message;
    message.set_seq(90210);
    message.set_slot(300);
    ZUZU::Command& command = selectAs<ZUZU::Command>(message.ref_pdu(), ZUZU::PDU::command);
    ZUZU::CreateParams& create = selectAs<ZUZU::CreateParams>(command, ZUZU::Command::create);
    ZUZU::CreateRtpParams& rtp = selectAs<ZUZU::CreateRtpParams>(create, ZUZU::CreateParams::rtp);
    TERM::RtpParams& codec = rtp.ref_codecRTP();
    codec.set_payload(TERM::Payload::ptG711_Alaw);
    codec.ref_dhost().set_iaddr("192.168.10.21");
    codec.ref_dhost().set_port(40000);
    codec.ref_shost().set_iaddr("192.168.10.2");
    codec.ref_shost().set_port(41000);
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

struct Sample {
    char const* name;
    ZUZU::Message (*make)();
};
Sample const samples[] = {
    {"ping", &ping}, {"error", &errorAnswer}, {"trunkStatus", &trunkStatus}, {"createRtp", &createRtp}};

void BM_Encode(benchmark::State& state)
{
    Sample const& sample = samples[state.range(0)];
    ZUZU::Message message = sample.make();
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<char> out;
    for (auto _ : state) {
        out.clear();
        if (!env.encode(message, std::back_inserter(out)))
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel(std::string(sample.name) + ", " + std::to_string(out.size()) + " octets");
}
BENCHMARK(BM_Encode)->DenseRange(0, 3);

void BM_Decode(benchmark::State& state)
{
    Sample const& sample = samples[state.range(0)];
    ASN1::CoderEnv env(ASN1::CoderEnv::per_Aligned);
    std::vector<char> frame;
    env.encode(sample.make(), std::back_inserter(frame));
    for (auto _ : state) {
        ZUZU::Message message;
        if (!env.decode(frame.data(), frame.data() + frame.size(), message, true))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(&message);
    }
    state.SetLabel(std::string(sample.name) + ", " + std::to_string(frame.size()) + " octets");
}
BENCHMARK(BM_Decode)->DenseRange(0, 3);

} // namespace

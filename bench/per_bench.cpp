// PER ALIGNED encode and decode time per value, for a small control message
// (a sequence number, a CHOICE and a short command) and a medium one (a
// list of 16 records with strings, numbers and an octet block).
#include "protocol/asn1/ASN1.h"
#include "protocol/asn1/per/PERDecoder.h"
#include "protocol/asn1/per/PEREncoder.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace ASN1;

namespace {

INTEGER::InfoType const Slot = {{&createAs<INTEGER>, 2}, FixedConstraint, 0, 1023};
INTEGER::InfoType const Level = {{&createAs<INTEGER>, 2}, FixedConstraint, -128, 127};
INTEGER::InfoType const Port = {{&createAs<INTEGER>, 2}, FixedConstraint, 0, 65535};
char const* const modeNames[] = {"idle", "voice", "data", "fax", nullptr};
ENUMERATED::InfoType const Mode = {{&createAs<ENUMERATED>, 10}, true, 3, modeNames};
AbstractString::InfoType const Name = {{{&createAs<IA5String>, 22}, FixedConstraint, 1, 64}, nullptr, 128, 7, 7, 8};

// Command ::= SEQUENCE { slot INTEGER (0..1023), mode Mode, gain INTEGER (-128..127) OPTIONAL, ... }
AbstractData::InfoType const* const commandFields[] = {&Slot, &Mode, &Level};
int const commandIds[] = {-1, -1, 0};
SEQUENCE::InfoType const Command = {{&createAs<SEQUENCE>, 16}, true, commandFields, commandIds, 3, 0, 1, nullptr, nullptr, nullptr};
// Body ::= CHOICE { ping NULL, command Command, name IA5String, ... }
AbstractData::InfoType const* const bodyAlternatives[] = {&Null::theInfo, &Command, &IA5String::theInfo};
CHOICE::InfoType const Body = {{&createAs<CHOICE>, 0}, true, bodyAlternatives, 3, 3, nullptr, nullptr};
// Message ::= SEQUENCE { seq INTEGER OPTIONAL, slot INTEGER (0..1023) OPTIONAL, body Body, ... }
AbstractData::InfoType const* const messageFields[] = {&INTEGER::theInfo, &Slot, &Body};
int const messageIds[] = {0, 1, -1};
SEQUENCE::InfoType const Message = {{&createAs<SEQUENCE>, 16}, true, messageFields, messageIds, 3, 0, 2, nullptr, nullptr, nullptr};

// Channel ::= SEQUENCE { name IA5String (SIZE(1..64)), port INTEGER (0..65535), mode Mode,
//                        key OCTET STRING, enabled BOOLEAN }
AbstractData::InfoType const* const channelFields[] = {&Name, &Port, &Mode, &OCTET_STRING::theInfo, &BOOLEAN::theInfo};
int const channelIds[] = {-1, -1, -1, -1, -1};
SEQUENCE::InfoType const Channel = {{&createAs<SEQUENCE>, 16}, false, channelFields, channelIds, 5, 0, 0, nullptr, nullptr, nullptr};
SEQUENCE_OF_Base::InfoType const Channels = {{{&createAs<SEQUENCE_OF_Base>, 16}, Unconstrained, 0, 4294967295u}, &Channel};
// Table ::= SEQUENCE { seq INTEGER, channels SEQUENCE OF Channel }
AbstractData::InfoType const* const tableFields[] = {&INTEGER::theInfo, &Channels};
int const tableIds[] = {-1, -1};
SEQUENCE::InfoType const Table = {{&createAs<SEQUENCE>, 16}, false, tableFields, tableIds, 2, 0, 0, nullptr, nullptr, nullptr};

std::unique_ptr<SEQUENCE> smallValue()
{
    auto message = std::make_unique<SEQUENCE>(&Message);
    message->includeOptionalField(0, 0);
    dynamic_cast<INTEGER&>(*message->getField(0)).setValue(4711);
    CHOICE& body = dynamic_cast<CHOICE&>(*message->getField(2));
    body.select(1);
    SEQUENCE& command = dynamic_cast<SEQUENCE&>(*body.getValue());
    dynamic_cast<INTEGER&>(*command.getField(0)).setValue(17);
    dynamic_cast<ENUMERATED&>(*command.getField(1)).setValue(1);
    command.includeOptionalField(0, 2);
    dynamic_cast<INTEGER&>(*command.getField(2)).setValue(-6);
    return message;
}

std::unique_ptr<SEQUENCE> mediumValue()
{
    auto table = std::make_unique<SEQUENCE>(&Table);
    dynamic_cast<INTEGER&>(*table->getField(0)).setValue(123456);
    SEQUENCE_OF_Base& channels = dynamic_cast<SEQUENCE_OF_Base&>(*table->getField(1));
    channels.resize(16);
    for (unsigned i = 0; i < 16; ++i) {
        SEQUENCE& channel = dynamic_cast<SEQUENCE&>(*channels.elementAt(i));
        dynamic_cast<AbstractString&>(*channel.getField(0)) = "trunk-" + std::to_string(i) + "/voice";
        dynamic_cast<INTEGER&>(*channel.getField(1)).setValue(static_cast<int>(5000 + 2 * i));
        dynamic_cast<ENUMERATED&>(*channel.getField(2)).setValue(static_cast<int>(i % 4));
        static_cast<std::vector<char>&>(dynamic_cast<OCTET_STRING&>(*channel.getField(3))).assign(16, static_cast<char>(i));
        dynamic_cast<BOOLEAN&>(*channel.getField(4)).setValue(i % 2 == 0);
    }
    return table;
}

void encode(benchmark::State& state, std::unique_ptr<SEQUENCE> value)
{
    std::vector<char> out;
    for (auto _ : state) {
        out.clear();
        if (!PEREncoder::encode(*value, true, out))
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["octets"] = static_cast<double>(out.size());
}

void decode(benchmark::State& state, std::unique_ptr<SEQUENCE> value)
{
    std::vector<char> wire;
    PEREncoder::encode(*value, true, wire);
    AbstractData::InfoType const* info = value->info();
    for (auto _ : state) {
        // a fresh value each time, as a received frame gets
        std::unique_ptr<AbstractData> decoded(info->create(info));
        if (!PERDecoder::decode(nullptr, wire.data(), wire.data() + wire.size(), *decoded, true))
            state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(decoded.get());
    }
    state.counters["octets"] = static_cast<double>(wire.size());
}

void BM_EncodeSmall(benchmark::State& state) { encode(state, smallValue()); }
void BM_DecodeSmall(benchmark::State& state) { decode(state, smallValue()); }
void BM_EncodeMedium(benchmark::State& state) { encode(state, mediumValue()); }
void BM_DecodeMedium(benchmark::State& state) { decode(state, mediumValue()); }

} // namespace

BENCHMARK(BM_EncodeSmall);
BENCHMARK(BM_DecodeSmall);
BENCHMARK(BM_EncodeMedium);
BENCHMARK(BM_DecodeMedium);

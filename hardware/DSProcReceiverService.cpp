#include "hardware/DSProcReceiverService.h"

#include "hardware/DSProcReceiver.h"
#include "hardware/DeviceNames.h"
#include "hardware/ErrnoText.h"
#include "hardware/device/BigEndian.h"
#include "hardware/device/BoardDevices.h"
#include "runtime/process/TraceCtl.h"
#include "runtime/text/ExtUnsignedInHex.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>

namespace Hardware {

using namespace Board::VoiceDsp;

namespace {

std::unique_ptr<DSProcReceiverService>& theInstance()
{
    static std::unique_ptr<DSProcReceiverService> service;
    return service;
}

float asFloat(std::uint32_t bits)
{
    float value;
    static_assert(sizeof value == sizeof bits, "a 32-bit float");
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

DSProcReceiverService& DSProcReceiverService::instance()
{
    auto& service = theInstance();
    if (!service)
        service.reset(new DSProcReceiverService());
    return *service;
}

void DSProcReceiverService::release()
{
    theInstance().reset();
}

DSProcReceiverService::DSProcReceiverService()
    : DriverEvents(GetDSPDevName(), O_RDWR | O_NONBLOCK | O_CLOEXEC, "dsproc", "DSProcReceiverService::OnEvent",
                   eventSize)
{
    init();
}

DSProcReceiverService::~DSProcReceiverService() = default;

void DSProcReceiverService::init()
{
    if (!open())
        std::cerr << "open dsproc fail, VAD proceeding disabled: " << std::strerror(errno) << std::endl;
}

bool DSProcReceiverService::ready(unsigned ts, char const* what)
{
    if (!is_open())
        init();
    if (is_open())
        return true;
    std::cerr << what << " fail: (interface not opened)" << " timeslot=" << ts << std::endl;
    return false;
}

bool DSProcReceiverService::configure(unsigned ts, std::uint32_t feature, std::uint8_t const* parameters,
                                      std::size_t size)
{
    Board::Record<20> record;
    record.put32(0, ts);
    record.put32(4, feature);
    if (parameters)
        std::memcpy(record.data() + 8, parameters, size < 12 ? size : 12);
    return Board::devices().request(fd(), DSPROC_CONFIGURE, record.data(), record.size()) >= 0;
}

bool DSProcReceiverService::configureVAD(unsigned ts, ZUZU::VADParams const& params)
{
    if (!ready(ts, "configure VAD"))
        return false;
    int version = Board::devices().request_none(fd(), DSPROC_VERSION);
    if (version < 0) {
        // Without the interface version the parameters' layout is unknown.
        std::cerr << "DSPROC_CONFIGURE VAD fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    Board::Record<12> parameters;
    if (version == 2) {
        auto const* v2 = params.getSelection() == ZUZU::VADParams::v2
                             ? dynamic_cast<TERM::VADParamsV2 const*>(params.getValue())
                             : nullptr;
        if (!v2) {
            std::cerr << "DSPROC_CONFIGURE VAD: params not specified for v2: " << " timeslot=" << ts << std::endl;
            return false;
        }
        parameters.put16(0, static_cast<std::uint16_t>(v2->get_voice_th_msec().getValue()));
        parameters.put16(2, static_cast<std::uint16_t>(v2->get_silence_th_msec().getValue()));
        parameters.put8(4, static_cast<std::uint8_t>(v2->get_e_th_dB().getValue()));
    } else {
        parameters.put32(0, 3);
        parameters.put32(4, 127);
        parameters.put32(8, 0);
    }
    if (!configure(ts, featureVAD, parameters.data(), parameters.size())) {
        std::cerr << "DSPROC_CONFIGURE VAD fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "DSPROC_CONFIGURE VAD" << " ts=" << ts << std::endl;
    return true;
}

bool DSProcReceiverService::configureSD(unsigned ts)
{
    if (!ready(ts, "configure SD"))
        return false;
    if (!configure(ts, featureSD, nullptr, 0)) {
        std::cerr << "DSPROC_CONFIGURE SD fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "DSPROC_CONFIGURE SD" << " ts=" << ts << std::endl;
    return true;
}

bool DSProcReceiverService::configureDelays(unsigned ts, unsigned rx, unsigned tx, unsigned selcal)
{
    if (!ready(ts, "configure Delays"))
        return false;
    Board::Record<12> parameters;
    parameters.put32(0, rx);
    parameters.put32(4, tx);
    parameters.put32(8, selcal);
    if (!configure(ts, featureDelays, parameters.data(), parameters.size())) {
        std::cerr << "DSPROC_CONFIGURE DELAYS fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "DSPROC_CONFIGURE DELAYS" << " ts=" << ts << " rx=" << rx << " tx=" << tx << " selcal=" << selcal
              << std::endl;
    return true;
}

bool DSProcReceiverService::configureRxGain(unsigned ts, signed char dB)
{
    if (!ready(ts, "Configure Rx gain"))
        return false;
    Board::Record<12> parameters;
    parameters.put8(0, static_cast<std::uint8_t>(dB));
    if (!configure(ts, featureRxGain, parameters.data(), parameters.size())) {
        std::cerr << "DSPROC_CONFIGURE Rx Gain fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "DSPROC_CONFIGURE RX GAIN" << " ts=" << ts << " gain_dB=" << int(dB) << std::endl;
    return true;
}

bool DSProcReceiverService::configureToneFilter(unsigned ts, unsigned short freq, bool enable,
                                                unsigned short duration_th_msec, signed char det_lvl_dB)
{
    if (!ready(ts, "Configure Tone Filter"))
        return false;
    Board::Record<12> parameters;
    parameters.put16(0, freq);
    parameters.put8(2, enable ? 1 : 0);
    parameters.put16(4, duration_th_msec);
    parameters.put8(6, static_cast<std::uint8_t>(det_lvl_dB));
    if (!configure(ts, featureToneFilter, parameters.data(), parameters.size())) {
        std::cerr << "DSPROC_CONFIGURE Tone Filter fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "DSPROC_CONFIGURE TONE FILTER" << " ts=" << ts << " freq=" << freq << ", en=" << enable
              << ", dur_th_msec=" << duration_th_msec << ", det_lvl_dB=" << int(det_lvl_dB) << std::endl;
    return true;
}

bool DSProcReceiverService::enable(unsigned ts, std::uint32_t id, std::uint32_t mask)
{
    Board::Record<12> record;
    record.put32(0, ts);
    record.put32(4, id);
    record.put32(8, mask);
    return Board::devices().request(fd(), DSPROC_ENABLE, record.data(), record.size()) >= 0;
}

bool DSProcReceiverService::disable(unsigned ts, std::uint32_t mask)
{
    Board::Record<12> record;
    record.put32(0, ts);
    record.put32(8, mask);
    return Board::devices().request(fd(), DSPROC_DISABLE, record.data(), record.size()) >= 0;
}

bool DSProcReceiverService::switchFeature(DSProcReceiver& receiver, std::int32_t& state, std::uint32_t& featureId,
                                          std::uint32_t mask, char const* name, bool on)
{
    if (state >= 0 && state == (on ? 1 : 0))
        return true;
    unsigned ts = receiver.dsproc_timeslot();
    if (on) {
        std::uint32_t id = ids_.next();
        if (!enable(ts, id, mask)) {
            std::cerr << "DSPROC_ENABLE " << name << " fail:" << " timeslot=" << ts << " id=" << id << ErrnoText{}
                      << std::endl;
            return false;
        }
        featureId = id;
        state = 1;
        std::cerr << "DSPROC_ENABLE " << name << " done:" << " timeslot=" << ts << " id=" << id << std::endl;
        return true;
    }
    if (!disable(ts, mask)) {
        std::cerr << "DSPROC_DISABLE " << name << " fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    state = 0;
    std::cerr << "DSPROC_DISABLE " << name << " done:" << " timeslot=" << ts << std::endl;
    return true;
}

bool DSProcReceiverService::enableVAD(DSProcReceiver& r, bool on)
{
    return switchFeature(r, r.vad_.state, r.vad_.id, featureVAD, "VAD", on);
}

bool DSProcReceiverService::enableBSS(DSProcReceiver& r, bool on)
{
    return switchFeature(r, r.bss_.state, r.bss_.id, featureBSS, "BSS", on);
}

bool DSProcReceiverService::enableNG(DSProcReceiver& r, bool on)
{
    return switchFeature(r, r.ng_.state, r.ng_.id, featureNG, "NG", on);
}

bool DSProcReceiverService::enableSelcalSh(DSProcReceiver& r, bool on)
{
    return switchFeature(r, r.selcalSh_.state, r.selcalSh_.id, featureSelcalSh, "SELCAL_SH", on);
}

bool DSProcReceiverService::enableSD(DSProcReceiver& r, bool on)
{
    return switchFeature(r, r.sd_.state, r.sd_.id, featureSD, "SD", on);
}

bool DSProcReceiverService::enableMute(DSProcReceiver& r, bool rx, bool tx)
{
    if (r.muteRx_ >= 0 && r.muteTx_ >= 0 && r.muteRx_ == (rx ? 1 : 0) && r.muteTx_ == (tx ? 1 : 0))
        return true;
    unsigned ts = r.dsproc_timeslot();
    if (!rx && !tx) {
        if (!disable(ts, featureMuteRx | featureMuteTx)) {
            std::cerr << "DSPROC_DISABLE MUTE fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
            return false;
        }
        r.muteRx_ = r.muteTx_ = 0;
        std::cerr << "DSPROC_DISABLE MUTE done:" << " timeslot=" << ts << std::endl;
        return true;
    }
    std::uint32_t id = ids_.next();
    if (!enable(ts, id, (rx ? featureMuteRx : 0) | (tx ? featureMuteTx : 0))) {
        std::cerr << "DSPROC_ENABLE MUTE fail:" << " timeslot=" << ts << " id=" << id << ErrnoText{} << std::endl;
        return false;
    }
    r.muteId_ = id;
    r.muteRx_ = rx ? 1 : 0;
    r.muteTx_ = tx ? 1 : 0;
    std::cerr << "DSPROC_ENABLE MUTE done:" << " timeslot=" << ts << " id=" << id << std::endl;
    return true;
}

DriverEvents::Reapplied DSProcReceiverService::OnReopen()
{
    static constexpr struct {
        DSProcReceiver::Feature DSProcReceiver::*feature;
        std::uint32_t mask;
    } features[] = {{&DSProcReceiver::vad_, featureVAD},
                     {&DSProcReceiver::bss_, featureBSS},
                     {&DSProcReceiver::ng_, featureNG},
                     {&DSProcReceiver::selcalSh_, featureSelcalSh},
                     {&DSProcReceiver::sd_, featureSD}};
    Reapplied reapplied;
    for (auto& node : DSProcReceiver::receivers()) {
        DSProcReceiver& r = DSProcReceiver::of(node);
        unsigned ts = r.dsproc_timeslot();
        // Each with the id it had, so that the receiver takes its events.
        for (auto const& f : features) {
            DSProcReceiver::Feature& feature = r.*f.feature;
            if (feature.state == 1 && !reapplied.add(enable(ts, feature.id, f.mask)))
                feature.state = 0;
        }
        std::uint32_t muted = (r.muteRx_ == 1 ? featureMuteRx : 0) | (r.muteTx_ == 1 ? featureMuteTx : 0);
        if (muted != 0 && !reapplied.add(enable(ts, r.muteId_, muted)))
            r.muteRx_ = r.muteTx_ = 0;
    }
    return reapplied;
}

bool DSProcReceiverService::disableToneAll(DSProcReceiver& r)
{
    unsigned ts = r.dsproc_timeslot();
    if (!ready(ts, "Disable All Tone"))
        return false;
    if (!disable(ts, featureToneFilter)) {
        std::cerr << "Disable All Tone fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "DISABLE ALL TONE done: " << " ts=" << ts << std::endl;
    return true;
}

void DSProcReceiverService::OnRecord(std::uint8_t const* record)
{
    std::uint32_t ts = Board::get_be32(record);
    std::uint32_t id = Board::get_be32(record + 4);
    std::uint32_t type = Board::get_be32(record + 8);
    std::uint32_t w0 = Board::get_be32(record + 12);
    std::uint32_t w1 = Board::get_be32(record + 16);
    std::uint32_t w2 = Board::get_be32(record + 20);
    bool const trace = traces.signalling_events;

    if (trace) {
        std::clog << "dsproc event: " << " timeslot=" << ts << " id=" << id << " type=" << type << std::endl;
        switch (type) {
        case eventVAD:
            std::clog << "dsproc vad event: " << " dir_mask=" << w0 << " vad_rx=" << std::int32_t(w1)
                      << " vad_tx=" << std::int32_t(w2) << std::endl;
            break;
        case eventSD:
            std::clog << "dsproc sd event: " << " sd_rx=" << std::int32_t(w0) << std::endl;
            break;
        case eventBSS:
            std::clog << "dsproc bss event: " << " score=" << asFloat(w0) << std::endl;
            break;
        case eventFlags:
            std::clog << "dsproc flags event: " << " flags=" << ext::OutUnsignedInHex(w0)
                      << ", mask=" << ext::OutUnsignedInHex(w1) << std::endl;
            break;
        default:
            break;
        }
    }

    // A VAD or SD event for a feature that is off, or with another enable's id.
    auto spurious = [&](std::uint32_t rid, bool off) {
        if (!trace)
            return;
        if (off)
            std::clog << "ignore spurious dsproc vad event (dsproc disabled): " << " timeslot=" << ts << " id=" << id
                      << " type=" << type << std::endl;
        else
            std::clog << "ignore spurious dsproc vad event: " << " timeslot=" << ts << " id=" << id
                      << " type=" << type << " rid=" << rid << std::endl;
    };

    for (auto& node : DSProcReceiver::receivers()) {
        DSProcReceiver& r = DSProcReceiver::of(node);
        if (r.dsproc_timeslot() != ts)
            continue;
        switch (type) {
        case eventVAD:
            if (r.vad_.state == 0)
                spurious(0, true);
            else if (r.vad_.id != id)
                spurious(r.vad_.id, false);
            else
                r.dsproc_vad_event(DSProcVADEvent{(w0 & 1) ? std::int32_t(w1) : -1, (w0 & 2) ? std::int32_t(w2) : -1});
            break;
        case eventSD:
            if (r.sd_.state == 0)
                spurious(0, true);
            else if (r.sd_.id != id)
                spurious(r.sd_.id, false);
            else
                r.dsproc_sd_event(DSProcSDEvent{std::int32_t(w0)});
            break;
        case eventBSS:
            if (r.bss_.state == 0) {
                if (trace)
                    std::clog << "ignore spurious dsproc bss event (dsproc disabled): " << " timeslot=" << ts
                              << " id=" << id << " type=" << type << std::endl;
            } else {
                ::dsproc_bss_event event{asFloat(w0), w1, w2};
                r.dsproc_bss_event(&event);
            }
            break;
        case eventToneFilter: {
            ::dsproc_tone_event event{{w0, w1, w2}};
            r.dsproc_tone_flt_event(&event);
            break;
        }
        case eventFlags: {
            ::dsproc_flags_event event{w0, w1, w2};
            r.dsproc_flags_event(&event);
            break;
        }
        default:
            break;
        }
        return;
    }
    if (trace)
        std::cerr << "receive dsproc event from unknown timeslot " << ts << std::endl;
}

} // namespace Hardware

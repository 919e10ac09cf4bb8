#include "hardware/TonecReceiverService.h"

#include "hardware/DeviceNames.h"
#include "hardware/TonecReceiver.h"
#include "hardware/ErrnoText.h"
#include "hardware/device/BigEndian.h"
#include "hardware/device/BoardDevices.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>

namespace Hardware {

using namespace Board::ToneDsp;

namespace {

std::unique_ptr<TonecReceiverService>& theInstance()
{
    static std::unique_ptr<TonecReceiverService> service;
    return service;
}

} // namespace

TonecReceiverService& TonecReceiverService::instance()
{
    auto& service = theInstance();
    if (!service)
        service.reset(new TonecReceiverService());
    return *service;
}

void TonecReceiverService::release()
{
    theInstance().reset();
}

TonecReceiverService::TonecReceiverService()
    : DriverEvents(GetDTMFDevName(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, "tonec", "TonecReceiverService::OnEvent",
                   eventSize)
{
    init();
}

TonecReceiverService::~TonecReceiverService() = default;

void TonecReceiverService::init()
{
    if (!open())
        std::cerr << "open tonec fail, DTMF proceeding disabled: " << std::strerror(errno) << std::endl;
}

bool TonecReceiverService::configureDTMF(unsigned ts, ZUZU::DTMFParams const& params)
{
    if (!is_open())
        init();
    if (!is_open()) {
        std::cerr << "configure DTMF fail: (interface not opened)" << " timeslot=" << ts << std::endl;
        return false;
    }
    unsigned twist = params.get_threshold().get_twist().getValue();
    unsigned ratio = params.get_threshold().get_ratio().getValue();
    unsigned noise = params.get_threshold().get_noise().getValue();
    unsigned silence = params.get_level().get_silence().getValue();
    Board::Record<20> record;
    record.put32(0, ts);
    record.put32(4, twist);
    record.put32(8, ratio);
    record.put32(12, silence);
    record.put32(16, noise);
    if (Board::devices().request(fd(), DTMF_CONFIGURE_DETECTOR, record.data(), record.size()) < 0) {
        std::cerr << "DTMF_CONFIGURE_DETECTOR fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "DTMF_CONFIGURE_DETECTOR" << " ts=" << ts << " twist=" << twist << " ratio=" << ratio
              << " noise=" << noise << " silence=" << silence << std::endl;
    return true;
}

bool TonecReceiverService::enableDTMF(TonecReceiver& receiver, bool on)
{
    if (receiver.dtmfOn_ == on)
        return true;
    unsigned ts = receiver.tonec_timeslot();
    if (on) {
        std::uint32_t id = ids_.next();
        if (!sendDtmfEnable(ts, id)) {
            std::cerr << "DTMF_ENABLE_DETECTOR fail:" << " timeslot=" << ts << " id=" << id << ErrnoText{}
                      << std::endl;
            return false;
        }
        receiver.enableId_ = id;
        receiver.dtmfOn_ = true;
        std::cerr << "DTMF_ENABLE_DETECTOR done:" << " timeslot=" << ts << " id=" << id << std::endl;
        return true;
    }
    if (Board::devices().request_value(fd(), DTMF_DISABLE_DETECTOR, ts) < 0) {
        std::cerr << "DTMF_DISABLE_DETECTOR fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    receiver.dtmfOn_ = false;
    std::cerr << "DTMF_DISABLE_DETECTOR done:" << " timeslot=" << ts << std::endl;
    return true;
}

bool TonecReceiverService::sendDtmfEnable(unsigned ts, std::uint32_t id)
{
    Board::Record<8> record;
    record.put32(0, ts);
    record.put32(4, id);
    return Board::devices().request(fd(), DTMF_ENABLE_DETECTOR, record.data(), record.size()) >= 0;
}

DriverEvents::Reapplied TonecReceiverService::OnReopen()
{
    Reapplied reapplied;
    for (auto& node : TonecReceiver::receivers()) {
        TonecReceiver& receiver = TonecReceiver::of(node);
        unsigned ts = receiver.tonec_timeslot();
        // The same id as before, so that the receiver takes the events.
        if (receiver.dtmfOn_ && !reapplied.add(sendDtmfEnable(ts, receiver.enableId_)))
            receiver.dtmfOn_ = false;
        if (receiver.ivaOn_ && !reapplied.add(Board::devices().request_value(fd(), IVA_DETECTOR_ENABLE, ts) >= 0))
            receiver.ivaOn_ = false;
    }
    return reapplied;
}

bool TonecReceiverService::switchRequest(unsigned ts, unsigned long code, char const* name, char const* suffix)
{
    if (Board::devices().request_value(fd(), code, ts) < 0) {
        std::cerr << name << suffix << " fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << name << suffix << "[" << ts << "] ok" << std::endl;
    return true;
}

bool TonecReceiverService::echoCancel(unsigned ts, bool on)
{
    return switchRequest(ts, on ? CHANNEL_LMS_ON : CHANNEL_LMS_OFF, "CHANNEL_LMS", on ? "_ON" : "_OFF");
}

bool TonecReceiverService::enableDTMFReject(unsigned ts, bool on)
{
    return switchRequest(ts, on ? DTMF_REJECTION_ENABLE : DTMF_REJECTION_DISABLE, "DTMF_REJECTION",
                         on ? "_ENABLE" : "_DISABLE");
}

bool TonecReceiverService::enableIVA(TonecReceiver& receiver, bool on)
{
    if (!switchRequest(receiver.tonec_timeslot(), on ? IVA_DETECTOR_ENABLE : IVA_DETECTOR_DISABLE, "IVA_DETECTOR",
                       on ? "_ENABLE" : "_DISABLE"))
        return false;
    receiver.ivaOn_ = on;
    return true;
}

bool TonecReceiverService::enableToneGenerator(unsigned ts, unsigned short freq1, unsigned short freq2,
                                               unsigned short level1, unsigned short level2)
{
    Board::Record<12> record;
    record.put32(0, ts);
    record.put16(4, freq1);
    record.put16(6, freq2);
    record.put16(8, level1);
    record.put16(10, level2);
    if (Board::devices().request(fd(), DTMF_DIAL, record.data(), record.size()) < 0) {
        std::cerr << "DTMF_DIAL fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    return true;
}

bool TonecReceiverService::configureIVA(TonecReceiver& receiver, ZUZU::IVAParams const& params)
{
    unsigned ts = receiver.tonec_timeslot();
    if (!is_open())
        init();
    if (!is_open()) {
        std::cerr << "configure IVA fail: (interface not opened)" << " timeslot=" << ts << std::endl;
        return false;
    }
    int level = params.get_det_lvl_dB().getValue();
    Board::Record<8> record;
    record.put32(0, ts);
    record.put32(4, static_cast<std::uint32_t>(level));
    if (Board::devices().request(fd(), IVA_CONFIGURE_DETECTOR, record.data(), record.size()) < 0) {
        std::cerr << "IVA_CONFIGURE_DETECTOR fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    std::clog << "IVA_CONFIGURE_DETECTOR" << " ts=" << ts << " det_lvl_dB=" << level << std::endl;
    return true;
}

bool TonecReceiverService::translateSelcal(TonecReceiver& receiver, TERM::SelcalCommand const& command)
{
    unsigned ts = receiver.tonec_timeslot();
    std::string const& signs = command.get_signs();
    if (signs.size() < 4) {
        std::cerr << "SELCAL_DIAL fail:" << " timeslot=" << ts << " incorect signs:" << signs << std::endl;
        return false;
    }
    int amplitude = command.hasOptionalField(TERM::SelcalCommand::e_amp) ? command.get_amp().getValue()
                                                                         : selcalAmplitude;
    Board::Record<12> record;
    record.put32(0, ts);
    record.put16(4, static_cast<std::uint16_t>(amplitude));
    for (std::size_t i = 0; i < 4; ++i)
        record.put8(6 + i, static_cast<std::uint8_t>(signs[i]));
    if (Board::devices().request(fd(), SELCAL_DIAL, record.data(), record.size()) < 0) {
        std::cerr << "SELCAL_DIAL fail:" << " timeslot=" << ts << ErrnoText{} << std::endl;
        return false;
    }
    return true;
}

void TonecReceiverService::OnRecord(std::uint8_t const* record)
{
    std::uint32_t code = Board::get_be32(record);
    std::uint32_t ts = Board::get_be32(record + 4);
    std::uint32_t timestamp = Board::get_be32(record + 8);
    std::uint32_t id = Board::get_be32(record + 12);
    std::clog << "dtmf event: " << " timestamp=" << timestamp << " timeslot=" << ts << " code=" << code
              << " id=" << id << std::endl;

    auto& list = TonecReceiver::receivers();
    for (auto& node : list) {
        TonecReceiver& receiver = TonecReceiver::of(node);
        if (receiver.tonec_timeslot() != ts)
            continue;
        if (!receiver.detector_on()) {
            std::clog << "ignore spurious dtmf event (DTMF disabled): " << " timestamp=" << timestamp
                      << " timeslot=" << ts << " code=" << code << " id=" << id << std::endl;
        } else if (receiver.enableId_ != id) {
            std::clog << "ignore spurious dtmf event: " << " timestamp=" << timestamp << " timeslot=" << ts
                      << " code=" << code << " id=" << id << " rid=" << receiver.enableId_ << std::endl;
        } else {
            receiver.tonec_event(TonecReceiver::Params{code, timestamp});
        }
        return;
    }
    std::cerr << "receive tonec event from unknown timeslot " << ts << std::endl;
}

} // namespace Hardware

#pragma once
// The one owner of the tone DSP ("/dev/dtmf"): it issues every request of
// the tone receivers, hands out the enable ids of DTMF enables, reads the
// driver's 16-byte event records and routes each to the receiver on the
// record's timeslot, dropping events the receiver did not ask for.
//
// Device requests pass big-endian records; a failed request is logged with
// its name, the timeslot and the errno text and returns false. While the
// device is closed the configure requests try to open it first; the others
// simply fail. When the device opens again after a close, the DTMF detectors
// (with their enable ids) and the IVA detectors that receivers hold as on are
// enabled again; one that fails to is marked off.
#include "hardware/DriverEvents.h"
#include "hardware/EnableIds.h"
#include "hardware/device/ToneDspRequests.h"
#include "protocol/schemas/TERM.h"
#include "protocol/schemas/ZUZU.h"

#include <cstdint>
#include <memory>

namespace Hardware {

class TonecReceiver;

class TonecReceiverService : public DriverEvents {
public:
    static constexpr std::size_t eventSize = Board::ToneDsp::eventSize;
    static constexpr int selcalAmplitude = 12000;

    static TonecReceiverService& instance();
    // Closes the device and forgets the instance; the next instance() starts
    // afresh (orderly stop, tests).
    static void release();

    ~TonecReceiverService() override;

    // Opens the device unless it is open; logs the failure.
    void init();

    bool configureDTMF(unsigned ts, ZUZU::DTMFParams const& params);
    bool enableDTMF(TonecReceiver& receiver, bool on);
    bool echoCancel(unsigned ts, bool on);
    bool enableDTMFReject(unsigned ts, bool on);
    bool enableToneGenerator(unsigned ts, unsigned short freq1, unsigned short freq2, unsigned short level1,
                             unsigned short level2);
    bool configureIVA(TonecReceiver& receiver, ZUZU::IVAParams const& params);
    bool enableIVA(TonecReceiver& receiver, bool on);
    bool translateSelcal(TonecReceiver& receiver, TERM::SelcalCommand const& command);

    std::uint32_t last_enable_id() const { return ids_.last(); }

private:
    TonecReceiverService();

    void OnRecord(std::uint8_t const* record) override;
    Reapplied OnReopen() override;
    // The DTMF_ENABLE_DETECTOR request; false when it fails.
    bool sendDtmfEnable(unsigned ts, std::uint32_t id);
    // A request of the form "timeslot as value" with its log lines.
    bool switchRequest(unsigned ts, unsigned long code, char const* name, char const* suffix);

    EnableIds ids_;
};

} // namespace Hardware

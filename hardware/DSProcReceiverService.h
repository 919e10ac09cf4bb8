#pragma once
// The one owner of the voice-processing DSP ("/dev/dsp"): it issues the
// configure, enable, disable and version requests of the DSP receivers,
// hands out the enable ids (one counter for every feature), reads the
// driver's 24-byte event records and routes each to the receiver on the
// record's timeslot, dropping the events the receiver did not ask for.
//
// A failed request is logged with its name, the timeslot and the errno text
// and returns false; the receiver's state changes only on success. While the
// device is closed the configure requests try to open it first; the enable
// requests simply fail. When the device opens again after a close, every
// feature and muting that receivers hold as on is enabled again with its
// enable id; one that fails to is marked off.
#include "hardware/DriverEvents.h"
#include "hardware/EnableIds.h"
#include "hardware/device/VoiceDspRequests.h"
#include "protocol/schemas/ZUZU.h"

#include <cstdint>
#include <memory>

namespace Hardware {

class DSProcReceiver;

class DSProcReceiverService : public DriverEvents {
public:
    static DSProcReceiverService& instance();
    // Closes the device and forgets the instance; the next instance() starts
    // afresh (orderly stop, tests).
    static void release();

    ~DSProcReceiverService() override;

    // Opens the device unless it is open; logs the failure.
    void init();

    bool configureVAD(unsigned ts, ZUZU::VADParams const& params);
    bool configureSD(unsigned ts);
    bool configureDelays(unsigned ts, unsigned rx, unsigned tx, unsigned selcal);
    bool configureRxGain(unsigned ts, signed char dB);
    bool configureToneFilter(unsigned ts, unsigned short freq, bool enable, unsigned short duration_th_msec,
                             signed char det_lvl_dB);

    bool enableVAD(DSProcReceiver& receiver, bool on);
    bool enableBSS(DSProcReceiver& receiver, bool on);
    bool enableNG(DSProcReceiver& receiver, bool on);
    bool enableSelcalSh(DSProcReceiver& receiver, bool on);
    bool enableSD(DSProcReceiver& receiver, bool on);
    bool enableMute(DSProcReceiver& receiver, bool rx, bool tx);
    bool disableToneAll(DSProcReceiver& receiver);

    std::uint32_t last_enable_id() const { return ids_.last(); }

private:
    DSProcReceiverService();

    void OnRecord(std::uint8_t const* record) override;
    Reapplied OnReopen() override;
    // Opens the device for a configure request; logs what when it stays closed.
    bool ready(unsigned ts, char const* what);
    bool configure(unsigned ts, std::uint32_t feature, std::uint8_t const* parameters, std::size_t size);
    bool enable(unsigned ts, std::uint32_t id, std::uint32_t mask);
    bool disable(unsigned ts, std::uint32_t mask);
    bool switchFeature(DSProcReceiver& receiver, std::int32_t& state, std::uint32_t& id, std::uint32_t mask,
                       char const* name, bool on);

    EnableIds ids_;
};

} // namespace Hardware

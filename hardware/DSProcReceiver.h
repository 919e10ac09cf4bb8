#pragma once
// The base of every slot that uses the voice-processing DSP on its own
// timeslot. It keeps, per feature (VAD, BSS, noise gate, SELCAL_SH, signal
// detection, muting), whether the feature is on (-1 unknown, 0 off, 1 on)
// and the enable id of its last enable, forwards the slot's requests to the
// one DSProcReceiverService and receives the events it asked for through
// the dsproc_* operations.
//
// Every receiver is linked in one process-wide list in construction order
// (apart from the tone receivers'); the service hands an event to the first
// receiver on the event's timeslot.
#include "hardware/DSProcEvents.h"
#include "runtime/base/CyclicList.h"
#include "protocol/schemas/ZUZU.h"

#include <cstdint>

namespace Hardware {

class DSProcReceiver {
public:
    // A feature's state and the id of its last successful enable.
    struct Feature {
        std::int32_t state;
        std::uint32_t id = 0;
    };

    DSProcReceiver();
    virtual ~DSProcReceiver();
    DSProcReceiver(DSProcReceiver const&) = delete;
    DSProcReceiver& operator=(DSProcReceiver const&) = delete;

    virtual void dsproc_vad_event(DSProcVADEvent const& event) = 0;
    virtual void dsproc_bss_event(::dsproc_bss_event const* event) = 0;
    virtual void dsproc_sd_event(DSProcSDEvent const& event) = 0;
    virtual void dsproc_tone_flt_event(::dsproc_tone_event const* event) = 0;
    virtual void dsproc_flags_event(::dsproc_flags_event const* event) = 0;
    virtual unsigned dsproc_timeslot() const = 0;

    bool configureVAD(ZUZU::VADParams const& params);
    bool enableVAD(bool on);
    bool disableVAD() { return enableVAD(false); }
    bool enableBSS(bool on);
    bool disableBSS() { return enableBSS(false); }
    bool enableNG(bool on);
    bool disableNG() { return enableNG(false); }
    bool enableSelcalSh(bool on);
    bool disableSelcalSh() { return enableSelcalSh(false); }
    bool configureSD();
    bool enableSD(bool on);
    bool disableSD() { return enableSD(false); }
    bool enableMute(bool rx, bool tx);
    bool disableMute() { return enableMute(false, false); }
    bool configureDelays(unsigned rx, unsigned tx, unsigned selcal);
    bool configureRxGain(signed char dB);
    bool configureToneFilter(unsigned short freq, bool enable, unsigned short duration_th_msec,
                             signed char det_lvl_dB);
    bool disableToneAll();
    // Switches off what the receiver switched on; called by the owning slot
    // before it is destroyed.
    void CleanBeforeDestroy();

    Feature const& vad() const { return vad_; }
    Feature const& bss() const { return bss_; }
    Feature const& ng() const { return ng_; }
    Feature const& selcal_sh() const { return selcalSh_; }
    Feature const& sd() const { return sd_; }
    std::int32_t mute_rx() const { return muteRx_; }
    std::int32_t mute_tx() const { return muteTx_; }
    std::uint32_t mute_id() const { return muteId_; }
    bool delays_set() const { return delaysSet_; }
    bool gain_set() const { return gainSet_; }

    struct Link : Containers::CyclicList {
        DSProcReceiver* owner = nullptr;
    };
    static Containers::CyclicList& receivers();
    static DSProcReceiver& of(Containers::CyclicList& node) { return *static_cast<Link&>(node).owner; }

private:
    friend class DSProcReceiverService;

    Feature vad_{-1};
    Feature bss_{0};
    Feature ng_{0};
    Feature selcalSh_{0};
    Feature sd_{-1};
    std::int32_t muteRx_ = -1;
    std::int32_t muteTx_ = -1;
    std::uint32_t muteId_ = 0;
    bool delaysSet_ = false;
    bool gainSet_ = false;
    Link link_;
};

} // namespace Hardware

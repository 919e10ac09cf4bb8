#pragma once
// The base of every slot that uses the tone DSP on its own timeslot. It
// keeps the timeslot's detector state (DTMF and IVA detectors each with their
// own flag, the enable id of the last DTMF enable, DTMF rejection) and the
// tone sequencer that plays DTMF digit sequences and the ringing cadence on
// the timeslot's generator, and turns the slot's requests into calls of the
// one TonecReceiverService. Detected tones arrive through tonec_event.
//
// Every receiver is linked in one process-wide list in construction order;
// the service hands an event to the first receiver on the event's timeslot.
#include "runtime/base/CyclicList.h"
#include "runtime/loop/Timer.h"
#include "protocol/schemas/TERM.h"
#include "protocol/schemas/ZUZU.h"

#include <cstdint>

namespace Hardware {

class TonecReceiver {
public:
    struct Params {
        std::uint32_t code;
        std::uint32_t timestamp;
    };

    TonecReceiver();
    virtual ~TonecReceiver();
    TonecReceiver(TonecReceiver const&) = delete;
    TonecReceiver& operator=(TonecReceiver const&) = delete;

    virtual void tonec_event(Params const& params) = 0;
    virtual unsigned tonec_timeslot() const = 0;
    // A DTMF digit sequence has ended.
    virtual void tone_gen_complete() {}

    bool configureDTMF(ZUZU::DTMFParams const& params);
    bool enableDTMF(bool on);
    bool disableDTMF() { return enableDTMF(false); }
    bool echoCancel(bool on);
    bool enableDTMFReject(bool on);
    bool enableIVA(bool on);
    bool configureIVA(ZUZU::IVAParams const& params);
    bool translateSelcal(TERM::SelcalCommand const& command);

    bool enableToneGenerator(unsigned short freq1, unsigned short freq2, unsigned short level1,
                             unsigned short level2);
    // The generator running at level 0.
    bool enableSilence() { return enableToneGenerator(1000, 1000, 0, 0); }
    // Switches the generator off, ending a digit sequence; without force
    // only while a sequence plays.
    void disableToneGenerator(bool force);

    // Plays the digits one after the other (tone, pause, ...), replacing
    // whatever remains of a sequence already playing.
    void translateDTMF(ZUZU::TranslateDtmfParams const& params);
    // Ringing tone: 425 Hz for 1000 ms, silence for 3000 ms, repeating.
    // It ends a digit sequence that is playing, without tone_gen_complete.
    void activateAudibleCall();
    void cancelAudibleCall();

    // Switches off what the receiver switched on; called by the owning slot
    // before it is destroyed.
    void CleanBeforeDestroy();

    bool dtmf_on() const { return dtmfOn_; }
    bool iva_on() const { return ivaOn_; }
    bool reject_on() const { return rejectOn_; }
    // True while either detector is on, so that the receiver takes events.
    bool detector_on() const { return dtmfOn_ || ivaOn_; }
    std::uint32_t enable_id() const { return enableId_; }
    bool sequence_playing() const { return sequencePlaying_; }

    // The list of all receivers, walked by the service.
    struct Link : Containers::CyclicList {
        TonecReceiver* owner = nullptr;
    };
    static Containers::CyclicList& receivers();
    static TonecReceiver& of(Containers::CyclicList& node) { return *static_cast<Link&>(node).owner; }

private:
    friend class TonecReceiverService;

    void pauseFinished();
    void toneFinished();
    void ringTone();
    void ringPause();

    bool dtmfOn_ = false;
    bool ivaOn_ = false;
    Timer toneTimer_;
    bool sequencePlaying_ = false;
    std::uint32_t enableId_ = 0;
    ZUZU::TranslateDtmfParams digits_;
    Link link_;
    bool rejectOn_ = false;
};

} // namespace Hardware

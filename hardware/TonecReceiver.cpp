#include "hardware/TonecReceiver.h"

#include "hardware/TonecReceiverService.h"

namespace Hardware {

namespace {

constexpr unsigned defaultDurationMs = 70;
constexpr int defaultDigitLevel = 16384;
constexpr unsigned ringToneMs = 1000;
constexpr unsigned ringPauseMs = 3000;

// An optional duration of the controller's; a negative one counts as 0.
unsigned durationMs(ZUZU::TranslateDtmfParams const& p, unsigned field, ASN1::INTEGER const& value)
{
    if (!p.hasOptionalField(field))
        return defaultDurationMs;
    return value.getValue() < 0 ? 0 : static_cast<unsigned>(value.getValue());
}

} // namespace

Containers::CyclicList& TonecReceiver::receivers()
{
    static Containers::CyclicList head;
    return head;
}

TonecReceiver::TonecReceiver()
{
    link_.owner = this;
    Containers::CyclicList& head = receivers();
    Containers::CyclicList::InternalAdd(&link_, head.prev, &head);
}

TonecReceiver::~TonecReceiver()
{
    Containers::CyclicList::InternalDel(link_.prev, link_.next);
    link_.InternalInit();
}

bool TonecReceiver::configureDTMF(ZUZU::DTMFParams const& params)
{
    return TonecReceiverService::instance().configureDTMF(tonec_timeslot(), params);
}

bool TonecReceiver::enableDTMF(bool on)
{
    return TonecReceiverService::instance().enableDTMF(*this, on);
}

bool TonecReceiver::echoCancel(bool on)
{
    return TonecReceiverService::instance().echoCancel(tonec_timeslot(), on);
}

bool TonecReceiver::enableDTMFReject(bool on)
{
    if (!TonecReceiverService::instance().enableDTMFReject(tonec_timeslot(), on))
        return false;
    rejectOn_ = on;
    return true;
}

bool TonecReceiver::enableIVA(bool on)
{
    return TonecReceiverService::instance().enableIVA(*this, on);
}

bool TonecReceiver::configureIVA(ZUZU::IVAParams const& params)
{
    return TonecReceiverService::instance().configureIVA(*this, params);
}

bool TonecReceiver::translateSelcal(TERM::SelcalCommand const& command)
{
    return TonecReceiverService::instance().translateSelcal(*this, command);
}

bool TonecReceiver::enableToneGenerator(unsigned short freq1, unsigned short freq2, unsigned short level1,
                                        unsigned short level2)
{
    return TonecReceiverService::instance().enableToneGenerator(tonec_timeslot(), freq1, freq2, level1, level2);
}

void TonecReceiver::disableToneGenerator(bool force)
{
    if (!force && !sequencePlaying_)
        return;
    if (sequencePlaying_) {
        toneTimer_.reset();
        sequencePlaying_ = false;
    }
    enableToneGenerator(0, 0, 0, 0);
}

void TonecReceiver::translateDTMF(ZUZU::TranslateDtmfParams const& params)
{
    digits_ = params;
    if (sequencePlaying_)
        return;
    sequencePlaying_ = true;
    pauseFinished();
}

void TonecReceiver::pauseFinished()
{
    auto& digits = digits_.ref_digits();
    if (digits.empty()) {
        disableToneGenerator(true);
        tone_gen_complete();
        return;
    }
    auto level = [this](unsigned field, ASN1::INTEGER const& value) {
        return static_cast<unsigned short>(digits_.hasOptionalField(field) ? value.getValue() : defaultDigitLevel);
    };
    ZUZU::DualTone const& digit = digits[0];
    enableToneGenerator(static_cast<unsigned short>(digit.get_freq1().getValue()),
                        static_cast<unsigned short>(digit.get_freq2().getValue()),
                        level(ZUZU::TranslateDtmfParams::e_amp1, digits_.get_amp1()),
                        level(ZUZU::TranslateDtmfParams::e_amp2, digits_.get_amp2()));
    digits.erase(digits.begin());
    toneTimer_.set(durationMs(digits_, ZUZU::TranslateDtmfParams::e_toneDuration, digits_.get_toneDuration()),
                   &TonecReceiver::toneFinished, this);
}

void TonecReceiver::toneFinished()
{
    enableSilence();
    toneTimer_.set(durationMs(digits_, ZUZU::TranslateDtmfParams::e_pauseDuration, digits_.get_pauseDuration()),
                   &TonecReceiver::pauseFinished, this);
}

void TonecReceiver::activateAudibleCall()
{
    // The ringing takes the generator and the timer over: a digit sequence
    // that was playing ends here, and its slot hears of it.
    bool endsSequence = sequencePlaying_;
    sequencePlaying_ = false;
    digits_.ref_digits().clear();
    ringTone();
    if (endsSequence)
        tone_gen_complete();
}

void TonecReceiver::ringTone()
{
    enableToneGenerator(425, 0, 2048, 2048);
    toneTimer_.set(ringToneMs, &TonecReceiver::ringPause, this);
}

void TonecReceiver::ringPause()
{
    enableSilence();
    toneTimer_.set(ringPauseMs, &TonecReceiver::ringTone, this);
}

void TonecReceiver::cancelAudibleCall()
{
    if (sequencePlaying_)
        return;
    toneTimer_.reset();
    enableToneGenerator(0, 0, 0, 0);
}

void TonecReceiver::CleanBeforeDestroy()
{
    if (dtmfOn_)
        disableDTMF();
    if (ivaOn_)
        enableIVA(false);
    if (rejectOn_)
        enableDTMFReject(false);
}

} // namespace Hardware

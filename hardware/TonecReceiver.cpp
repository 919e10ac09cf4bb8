#include "hardware/TonecReceiver.h"

#include "hardware/TonecReceiverService.h"

namespace Hardware {

namespace {

constexpr unsigned defaultDurationMs = 70;
constexpr int defaultDigitLevel = 16384;
constexpr unsigned ringToneMs = 1000;
constexpr unsigned ringPauseMs = 3000;

// The tone or pause duration of a sequence; a negative one counts as 0.
unsigned durationMs(ZUZU::TranslateDtmfParams const& p, bool tone)
{
    unsigned field = tone ? ZUZU::TranslateDtmfParams::e_toneDuration : ZUZU::TranslateDtmfParams::e_pauseDuration;
    if (!p.hasOptionalField(field))
        return defaultDurationMs;
    int ms = tone ? p.get_toneDuration().getValue() : p.get_pauseDuration().getValue();
    return ms < 0 ? 0 : static_cast<unsigned>(ms);
}

// The level of a sequence's first or second frequency, as 16 bits.
unsigned short digitLevel(ZUZU::TranslateDtmfParams const& p, bool first)
{
    unsigned field = first ? ZUZU::TranslateDtmfParams::e_amp1 : ZUZU::TranslateDtmfParams::e_amp2;
    if (!p.hasOptionalField(field))
        return defaultDigitLevel;
    return static_cast<unsigned short>(first ? p.get_amp1().getValue() : p.get_amp2().getValue());
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
    ZUZU::DualTone const& digit = digits[0];
    enableToneGenerator(static_cast<unsigned short>(digit.get_freq1().getValue()),
                        static_cast<unsigned short>(digit.get_freq2().getValue()),
                        digitLevel(digits_, true), digitLevel(digits_, false));
    digits.erase(digits.begin());
    toneTimer_.set(durationMs(digits_, true), &TonecReceiver::toneFinished, this);
}

void TonecReceiver::toneFinished()
{
    enableSilence();
    toneTimer_.set(durationMs(digits_, false), &TonecReceiver::pauseFinished, this);
}

void TonecReceiver::activateAudibleCall()
{
    // The ringing takes the generator and the timer over: a digit sequence
    // that was playing ends here. Digits cut short are no finished
    // sequence, so its slot is not told of a completion.
    sequencePlaying_ = false;
    digits_.ref_digits().clear();
    ringTone();
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

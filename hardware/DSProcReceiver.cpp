#include "hardware/DSProcReceiver.h"

#include "hardware/DSProcReceiverService.h"

namespace Hardware {

Containers::CyclicList& DSProcReceiver::receivers()
{
    static Containers::CyclicList head;
    return head;
}

DSProcReceiver::DSProcReceiver()
{
    link_.owner = this;
    Containers::CyclicList& head = receivers();
    Containers::CyclicList::InternalAdd(&link_, head.prev, &head);
}

DSProcReceiver::~DSProcReceiver()
{
    Containers::CyclicList::InternalDel(link_.prev, link_.next);
    link_.InternalInit();
}

namespace {

DSProcReceiverService& service()
{
    return DSProcReceiverService::instance();
}

} // namespace

bool DSProcReceiver::configureVAD(ZUZU::VADParams const& params)
{
    return service().configureVAD(dsproc_timeslot(), params);
}

bool DSProcReceiver::enableVAD(bool on)
{
    return service().enableVAD(*this, on);
}

bool DSProcReceiver::enableBSS(bool on)
{
    return service().enableBSS(*this, on);
}

bool DSProcReceiver::enableNG(bool on)
{
    return service().enableNG(*this, on);
}

bool DSProcReceiver::enableSelcalSh(bool on)
{
    return service().enableSelcalSh(*this, on);
}

bool DSProcReceiver::configureSD()
{
    return service().configureSD(dsproc_timeslot());
}

bool DSProcReceiver::enableSD(bool on)
{
    return service().enableSD(*this, on);
}

bool DSProcReceiver::enableMute(bool rx, bool tx)
{
    return service().enableMute(*this, rx, tx);
}

bool DSProcReceiver::configureDelays(unsigned rx, unsigned tx, unsigned selcal)
{
    delaysSet_ = rx != 0 || tx != 0 || selcal != 0;
    return service().configureDelays(dsproc_timeslot(), rx, tx, selcal);
}

bool DSProcReceiver::configureRxGain(signed char dB)
{
    gainSet_ = dB != 0;
    return service().configureRxGain(dsproc_timeslot(), dB);
}

bool DSProcReceiver::configureToneFilter(unsigned short freq, bool enable, unsigned short duration_th_msec,
                                         signed char det_lvl_dB)
{
    return service().configureToneFilter(dsproc_timeslot(), freq, enable, duration_th_msec, det_lvl_dB);
}

bool DSProcReceiver::disableToneAll()
{
    return service().disableToneAll(*this);
}

void DSProcReceiver::CleanBeforeDestroy()
{
    if (vad_.state == 1)
        disableVAD();
    if (bss_.state == 1)
        disableBSS();
    if (ng_.state == 1)
        disableNG();
    if (selcalSh_.state == 1)
        disableSelcalSh();
    if (delaysSet_)
        configureDelays(0, 0, 0);
    if (gainSet_)
        configureRxGain(0);
    disableToneAll();
}

} // namespace Hardware

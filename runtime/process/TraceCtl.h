#pragma once
// The process-wide trace switches: each one enables extra trace output in
// particular components. The start-up code sets them from section "traces"
// of the configuration file before anything else is configured; afterwards
// they are only read. All are off until then.
#include "runtime/process/IniFile.h"

class TraceCtl {
public:
    TraceCtl();

    // Applies every block of the section in file order, so a later block
    // replaces all that an earlier one set.
    void Configure(IniFile::Section& section);
    // Turns every switch off, then reads the block's keys; problems are
    // reported on standard error with the prefix "traces: ".
    void Configure(IniFile::SubSection& block);

    bool signalling_hdlc;     // "signalling.hdlc": HDLC channels and data slots
    bool signalling_vuveri;   // "signalling.vuveri"
    bool signalling_events;   // "signalling.events": voice-processing DSP events
    bool signalling_isdn;     // "signalling.isdn": transmitted D-channel frames
    bool monitoring_internal; // "monitoring.internal": monitoring service
};

extern TraceCtl traces;

#include "runtime/process/TraceCtl.h"

#include "runtime/process/IniFileReader.h"

#include <iostream>

TraceCtl traces;

TraceCtl::TraceCtl()
    : signalling_hdlc(false),
      signalling_vuveri(false),
      signalling_events(false),
      signalling_isdn(false),
      monitoring_internal(false)
{
}

void TraceCtl::Configure(IniFile::Section& section)
{
    for (IniFile::SubSection& block : section)
        Configure(block);
}

void TraceCtl::Configure(IniFile::SubSection& block)
{
    *this = TraceCtl();
    IniFile::Reader reader("traces: ", std::cerr);
    reader.optional().add(&signalling_hdlc, "signalling.hdlc");
    reader.optional().add(&signalling_vuveri, "signalling.vuveri");
    reader.optional().add(&signalling_events, "signalling.events");
    reader.optional().add(&signalling_isdn, "signalling.isdn");
    reader.optional().add(&monitoring_internal, "monitoring.internal");
    reader.parse(block);
}

#include "runtime/process/SysLogStreamBuf.h"

#include "runtime/process/SysLogManager.h"

#include <cstring>
#include <syslog.h>

namespace {

std::streamsize const PlainAreaSize = 1024;
std::streamsize const ManagedAreaSize = 16384;

} // namespace

SysLogStreamBuf::SysLogStreamBuf(int facility, int severity)
    : SysLogStreamBuf(facility, severity, PlainAreaSize)
{
}

SysLogStreamBuf::SysLogStreamBuf(int facility, int severity, std::streamsize size)
    : SyncingStreamBuf(size, 1), priority_(facility | severity)
{
}

SysLogStreamBuf::~SysLogStreamBuf() = default;

int SysLogStreamBuf::sync()
{
    if (!pbase())
        return 0;
    char* text = pbase();
    char* end = pptr();
    *end = '\0';

    if (std::memchr(text, '\n', static_cast<size_t>(end - text))) {
        char* line = text;
        while (char* lineEnd = static_cast<char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)))) {
            *lineEnd = '\0';
            record(line);
            line = lineEnd + 1;
        }
        if (line < end)
            record(line);
    } else if (end == epptr()) {
        record(text);
    } else {
        return 0;
    }
    setp(pbase(), epptr());
    endOfDelivery();
    return 0;
}

void SysLogStreamBuf::record(char const* line) { ::syslog(priority_, "%s", line); }

ManagedSysLogStreamBuf::ManagedSysLogStreamBuf(int facility, int severity)
    : SysLogStreamBuf(facility, severity, ManagedAreaSize)
{
}

void ManagedSysLogStreamBuf::record(char const* line) { syslogManager.syslog(priority(), "%s", line); }

void ManagedSysLogStreamBuf::endOfDelivery() { syslogManager.sendmsg(); }

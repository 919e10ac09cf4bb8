#include "runtime/SysLogStreamBuf.h"

#include "runtime/SysLogManager.h"

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
    : priority_(facility | severity)
{
    usePutArea(new char[static_cast<size_t>(size)], size);
}

SysLogStreamBuf::~SysLogStreamBuf() = default;

void SysLogStreamBuf::usePutArea(char* p, std::streamsize n)
{
    area_.reset(p);
    // The last byte stays free for the NUL that sync() writes.
    setp(p, p + n - 1);
}

std::streambuf* SysLogStreamBuf::setbuf(char* p, std::streamsize n)
{
    if (n < 2)
        return this;
    sync();
    usePutArea(p, n);
    return this;
}

int SysLogStreamBuf::overflow(int_type c)
{
    sync();
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return 0;
    if (pptr() == epptr())
        return traits_type::eof();
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

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

#include "runtime/process/LogFileStreamBuf.h"

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

std::streamsize const AreaSize = 16;

} // namespace

LogFileStreamBuf::LogFileStreamBuf(std::string const& directory, Clock clock)
    : SyncingStreamBuf(AreaSize, 0), directory_(directory), clock_(clock)
{
    timeval tv;
    now(tv);
    time_t t = tv.tv_sec;
    tm local;
    ::localtime_r(&t, &local);
    openFileOf(t, local.tm_hour);
}

LogFileStreamBuf::~LogFileStreamBuf() { sync(); }

void LogFileStreamBuf::now(timeval& tv) const
{
    if (clock_)
        clock_(tv);
    else
        ::gettimeofday(&tv, nullptr);
}

std::string LogFileStreamBuf::fileName(time_t t) const
{
    tm local;
    ::localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y_%m_%d-%H", &local);
    return directory_ + "/" + stamp + ".log";
}

void LogFileStreamBuf::openFileOf(time_t t, int hour)
{
    if (file_.is_open())
        file_.close();
    file_.open(fileName(t), std::ios::out | std::ios::app | std::ios::binary);
    hour_ = hour;
}

void LogFileStreamBuf::put(char const* text, size_t length)
{
    file_.sputn(text, static_cast<std::streamsize>(length));
}

int LogFileStreamBuf::sync()
{
    if (!pbase())
        return 0;
    char const* text = pbase();
    char const* end = pptr();
    setp(pbase(), epptr());

    // The end of a line begun earlier belongs to the file it began in, so
    // it is written before the hour is looked at.
    if (continuation_) {
        char const* lineEnd = static_cast<char const*>(std::memchr(text, '\n', static_cast<size_t>(end - text)));
        if (!lineEnd) {
            put(text, static_cast<size_t>(end - text));
            file_.pubsync();
            return 0;
        }
        put(text, static_cast<size_t>(lineEnd + 1 - text));
        continuation_ = false;
        text = lineEnd + 1;
    }

    timeval tv;
    now(tv);
    time_t t = tv.tv_sec;
    tm local;
    ::localtime_r(&t, &local);
    if (local.tm_hour != hour_)
        openFileOf(t, local.tm_hour);

    char prefix[32];
    int prefixLength = std::snprintf(prefix, sizeof prefix, "%02d:%02d:%05ld: ", local.tm_min, local.tm_sec,
                                     static_cast<long>(tv.tv_usec));
    while (text < end) {
        char const* lineEnd = static_cast<char const*>(std::memchr(text, '\n', static_cast<size_t>(end - text)));
        char const* next = lineEnd ? lineEnd + 1 : end;
        put(prefix, static_cast<size_t>(prefixLength));
        put(text, static_cast<size_t>(next - text));
        continuation_ = !lineEnd;
        text = next;
    }
    file_.pubsync();
    return 0;
}

#pragma once
// A stream buffer that writes its text to hourly log files in a directory:
// "<directory>/YYYY_MM_DD-HH.log" after the local time, a new file being
// started whenever the hour of day changes. Every line starts with the time
// within the hour, "MM:SS:UUUUU: " (minutes, seconds, microseconds); the end
// of a line begun in an earlier flush is written without a prefix, to the
// file the line began in. Files are opened for appending, so a server
// restarted within the hour keeps that hour's log. A file that cannot be
// opened loses the text silently until the next hour.
#include "runtime/process/SyncingStreamBuf.h"

#include <fstream>
#include <string>
#include <sys/time.h>

class LogFileStreamBuf : public SyncingStreamBuf {
public:
    // Where the time of the lines comes from; tests give their own.
    using Clock = void (*)(timeval& now);

    // Opens the file of the current hour at once.
    explicit LogFileStreamBuf(std::string const& directory, Clock clock = nullptr);
    // Writes the text still waiting, then closes the file.
    ~LogFileStreamBuf() override;

protected:
    int sync() override;

private:
    void now(timeval& tv) const;
    std::string fileName(time_t t) const;
    void openFileOf(time_t t, int hour);
    void put(char const* text, size_t length);

    std::filebuf file_;
    std::string directory_;
    Clock clock_;
    int hour_ = -1;
    bool continuation_ = false;
};

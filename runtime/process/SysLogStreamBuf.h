#pragma once
// Stream buffers that turn the text of a standard stream into syslog
// records, one record per line. Daemon mode puts them under std::cout,
// std::cerr and std::clog. Text without a line end waits for the rest of its
// line (or until the buffer is full), so a line written in several pieces
// and ended with std::endl still makes one record.
//
// SysLogStreamBuf hands each line to the C library's syslog;
// ManagedSysLogStreamBuf hands it to syslogManager and sends the batch at
// the end of every flush.
#include "runtime/process/SyncingStreamBuf.h"

class SysLogStreamBuf : public SyncingStreamBuf {
public:
    // facility in the shifted form (daemon = 24, user = 8), severity 0..7.
    SysLogStreamBuf(int facility, int severity);
    ~SysLogStreamBuf() override;

protected:
    SysLogStreamBuf(int facility, int severity, std::streamsize size);

    int sync() override;

    // Delivers one line (NUL-terminated, without its line end).
    virtual void record(char const* line);
    // Called once the lines of one delivery have all been recorded.
    virtual void endOfDelivery() {}

    int priority() const { return priority_; }

private:
    int priority_;
};

class ManagedSysLogStreamBuf : public SysLogStreamBuf {
public:
    ManagedSysLogStreamBuf(int facility, int severity);

protected:
    void record(char const* line) override;
    void endOfDelivery() override;
};

#pragma once
// The system's own client of the local log socket "/dev/log" (under the
// server root). It builds syslog records ("<PRI>", the time, the identity,
// the message), collects them in a batch and sends the batch with one
// sendmsg call, so that the lines of one stream flush leave together. When
// a send fails (the log daemon was restarted, say) it reconnects and sends
// the batch once more. A record that still cannot be delivered is lost, or
// goes to "/dev/console" with the console option.
//
// The process has one instance, syslogManager, which is never destroyed;
// ManagedSysLogStreamBuf writes through it. The operations are named after
// the C library's.
#include <cstddef>
#include <string>
#include <sys/socket.h>
#include <sys/uio.h>
#include <sys/un.h>

class SysLogManager {
public:
    // The C library's openlog option bits that this client honours.
    enum Option {
        OptionPid = 1,       // "[pid]" after the identity
        OptionConsole = 2,   // undeliverable records go to the console
        OptionNoDelay = 8,   // connect at once
        OptionStderr = 32,   // copy every record to standard error
    };

    static constexpr int RecordSize = 1024;
    static constexpr int BatchSize = 16384;
    static constexpr int MaxRecords = 256;
    // A batch is sent as soon as it holds more than this many bytes.
    static constexpr int BatchSendThreshold = 12288;

    SysLogManager();
    ~SysLogManager();
    SysLogManager(SysLogManager const&) = delete;
    SysLogManager& operator=(SysLogManager const&) = delete;

    // A non-null ident replaces the identity, options replace the options,
    // a non-zero facility (shifted form, e.g. 24 for daemon) becomes the
    // default one. Connects when OptionNoDelay is given.
    void openlog(char const* ident, int options, int facility);
    void closelog();
    // Builds one record and adds it to the batch; the batch leaves when it
    // is full or on sendmsg().
    void syslog(int priority, char const* format, ...) __attribute__((format(printf, 3, 4)));
    // Sends the pending batch now; returns what the system's sendmsg
    // returned (0 when nothing was pending).
    int sendmsg();

    int descriptor() const { return fd_; }
    bool connected() const { return connected_; }
    std::string const& identity() const { return identity_; }

private:
    int handOver(char const* record, size_t length);
    int sendBatch();
    void dropBatch();
    void closeSocket();
    bool prepareAddress();
    void toConsole(char const* text, size_t length);

    int socketType_;
    int fd_ = -1;
    bool connected_ = false;
    int options_ = 0;
    std::string identity_;
    int defaultFacility_;
    int mask_ = 0xff;
    sockaddr_un address_;

    char record_[RecordSize];
    char batch_[BatchSize];
    size_t used_ = 0;
    iovec entries_[MaxRecords];
    int count_ = 0;
};

extern SysLogManager& syslogManager;

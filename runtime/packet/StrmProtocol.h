#pragma once
// The lowest layer of a message connection: owns the connected stream
// socket (TCP or Unix stream), reads whatever arrives into fresh packets and
// hands them up the stack, and writes every packet handed down to it
// completely, waiting at most 1000 ms in all for the socket to take it
// (the hardware watchdog is fed meanwhile). Socket failures, end of stream
// and write time-outs close the socket and send an error status up the
// stack. The owner (a message connection) names the layer for its log lines
// and reads its read/write timings and its overflow counter.
#include "runtime/loop/Event.h"
#include "runtime/base/Fd.h"
#include "runtime/base/Measure.h"
#include "runtime/packet/Protocol.h"

#include <cstdint>
#include <iosfwd>
#include <string>

class StrmProtocol : public Protocol {
public:
    StrmProtocol();
    explicit StrmProtocol(Fd fd);
    ~StrmProtocol() override;

    // Takes a socket, closing the one held before.
    void attach(Fd fd);
    // Stops watching the socket and closes it.
    void release();
    bool attached() const { return static_cast<bool>(fd_); }

    void service_name(std::string const& name) { service_name_ = name; }
    std::string const& service_name() const { return service_name_; }

    // Socket figures for the log lines; 0 where the system cannot tell.
    int sendbuf_space() const;
    int recvbuf_space() const;
    int inq_space() const;
    int outq_space() const;
    int free_space() const;

    // "SockStream[" + service name + "]: "
    void PutHeader(std::ostream& os) const;

    // Closes the socket and sends an error status with text up the stack.
    void on_error(std::string const& text);

    Measure const& read_measure() const { return read_measure_; }
    Measure const& write_measure() const { return write_measure_; }
    // Write errors plus write time-outs.
    uint32_t overflow_counter() const { return overflow_counter_; }

    void local_prepare_head(Packet& p) override;
    void local_prepare_tail(Packet& p) override;
    void local_activate() override;
    void local_deactivate() override;
    void message(Packet& p) override;

private:
    void on_event(int fd, short revents);
    void do_read();
    // Waits for the socket to take more bytes, feeding the watchdog; false
    // when the time ran out or poll failed.
    bool wait_writable(int timeout_ms);
    void log_write_failure(char const* what, int error);

    Protocol_name_str type_name_{"StrmProtocol"};
    Fd fd_;
    std::string service_name_;
    Event event_;
    Measure read_measure_;
    Measure write_measure_;
    bool outq_counts_free_ = false;
    uint32_t overflow_counter_ = 0;
};

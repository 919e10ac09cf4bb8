#pragma once
// Copies bytes from one descriptor to another on the main loop, as fast as
// both sides allow and never waiting in a read or write: each read is
// written out completely before the next read, and when a side cannot go on
// the copier waits for its poll events. The outcome is reported once,
// through the bound handler: done, error or stopped. The copier owns
// duplicates of both descriptors, its buffer (kept between runs) and its
// handler; the handler may destroy the copier from inside Invoke.
//
//     copy_.set_bufsize(8192);
//     copy_.Bind(&Player::OnCopied, this);   // void Player::OnCopied(ASync::Copy::Status::Type)
//     copy_.Start(file, device);
#include "runtime/base/Fd.h"
#include "runtime/loop/Event.h"

#include <cstdint>
#include <memory>

namespace ASync {

class Copy {
public:
    struct Status {
        enum Type : int32_t {
            Idle = 0,
            Running = 1,   // reading and writing
            Draining = 2,  // the source has ended; buffered bytes are still being written
            Flushing = 3,  // everything is written; waiting for the destination's flush events
            Error = 4,
            Done = 5,
            Stopped = 6,   // the copy was cut short by set_events or set_bufsize
        };
    };

    // Poll masks: what the source must report before a read, what the
    // destination must report before a write, and what it must report after
    // the last byte before the copy counts as done (0: no such wait).
    struct EventsParams {
        EventsParams();
        uint32_t read_events;
        uint32_t write_events;
        uint32_t flush_events;
    };

    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void Invoke(Status::Type status) = 0;
    };

    template <class T>
    class THandler : public Handler {
    public:
        using Action = void (T::*)(Status::Type);
        THandler(Action action, T* object) : action_(action), object_(object) {}
        void Invoke(Status::Type status) override
        {
            if (action_)
                (object_->*action_)(status);
        }

    private:
        Action action_;
        T* object_;
    };

    static constexpr unsigned default_bufsize = 1024;

    Copy();
    // Reports nothing; closes both descriptors.
    ~Copy();
    Copy(Copy const&) = delete;
    Copy& operator=(Copy const&) = delete;

    // Copies from src to dst (the copier keeps duplicates). A copy under way
    // is dropped without a report. The outcome may be reported before Start
    // returns.
    void Start(Fd const& src, Fd const& dst);
    // Ends the source side now, as if the source had ended: the bytes
    // already read are still written and the copy completes normally. Only
    // while Running.
    void Stop();
    // Take effect for the next copy; a copy under way completes as Stopped.
    void set_events(EventsParams const& events);
    // 0 means default_bufsize.
    void set_bufsize(unsigned size);

    // Takes ownership of handler, deleting the one bound before.
    void Bind(Handler* handler) { handler_.reset(handler); }
    template <class T>
    void Bind(void (T::*action)(Status::Type), T* object)
    {
        Bind(new THandler<T>(action, object));
    }
    void UnBind() { handler_.reset(); }

    void OnSrcEvent(int fd, short revents);
    void OnDstEvent(int fd, short revents);

    Status::Type status() const { return status_; }
    // The error number of the failed read or write that ended the copy as
    // Error; 0 for a hang-up or a write of zero bytes.
    int error() const { return error_; }
    // Bytes written to the destination since Start.
    uint32_t total() const { return total_; }
    unsigned bufsize() const { return bufSize_; }
    EventsParams const& events() const { return events_; }

private:
    using Step = bool (Copy::*)();

    // Runs the steps while they can go on without waiting.
    void Progress();
    bool NotReady();
    bool SrcReady();
    bool DstReady();
    bool GoFlush();
    bool GoFlushDst();
    void WaitForSource();
    void WaitForDestination();
    bool Active() const;
    void Complete(Status::Type status);

    Fd src_;
    Fd dst_;
    EventsParams events_;
    unsigned bufSize_ = 0;
    int error_ = 0;
    Step step_ = &Copy::NotReady;
    std::unique_ptr<Handler> handler_;
    Event srcEvent_;
    Event dstEvent_;
    uint32_t total_ = 0;
    unsigned char const* cur_ = nullptr;
    unsigned char const* end_ = nullptr;
    Status::Type status_ = Status::Idle;
    std::unique_ptr<unsigned char[]> buffer_;
};

} // namespace ASync

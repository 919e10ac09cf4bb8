#pragma once
// Opens a TCP connection on the main loop without waiting, with a time-out,
// and reports once through the bound handler whether it succeeded, handing
// over the connected socket. The connector owns the socket of the attempt,
// its watch, its timer and its handler; the handler may destroy the
// connector from inside Invoke.
//
//     connect_.Bind(&Recorder::OnConnected, this);  // void Recorder::OnConnected(Status::Type, Fd)
//     connect_.Start("10.0.0.7:5004", 5000);
#include "runtime/base/Fd.h"
#include "runtime/loop/Event.h"
#include "runtime/loop/Timer.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ASync {

class Connect {
public:
    struct Status {
        enum Type : int32_t { Idle = 0, InProgress = 1, Failed = 2, Connected = 3, Stopped = 4 };
    };

    class Handler {
    public:
        virtual ~Handler() = default;
        // socket is the connected socket for Connected, empty otherwise.
        virtual void Invoke(Status::Type status, Fd socket) = 0;
    };

    // Calls a member function of an object with its own duplicate of the
    // socket, closed after the call.
    template <class T>
    class THandler : public Handler {
    public:
        using Action = void (T::*)(Status::Type, Fd);
        THandler(Action action, T* object) : action_(action), object_(object) {}
        void Invoke(Status::Type status, Fd socket) override
        {
            if (action_)
                (object_->*action_)(status, socket);
        }

    private:
        Action action_;
        T* object_;
    };

    Connect();
    // Reports nothing; closes the socket of an attempt under way.
    ~Connect();
    Connect(Connect const&) = delete;
    Connect& operator=(Connect const&) = delete;

    // Connects to "a.b.c.d:port" within timeout_ms. Text that is not a
    // dotted IPv4 address with a port fails. An attempt under way is dropped
    // without a report. The outcome may be reported before Start returns.
    void Start(std::string const& address, unsigned timeout_ms);
    // Ends an attempt under way as Stopped; nothing otherwise.
    void Stop();

    // Takes ownership of handler, deleting the one bound before.
    void Bind(Handler* handler) { handler_.reset(handler); }
    template <class T>
    void Bind(void (T::*action)(Status::Type, Fd), T* object)
    {
        Bind(new THandler<T>(action, object));
    }
    void UnBind() { handler_.reset(); }

    void OnSocketEvent(int fd, short revents);
    void OnTimeOut(Timer*);

    Status::Type status() const { return status_; }

private:
    void Abandon();
    void Complete(Status::Type status);

    Status::Type status_ = Status::Idle;
    Fd sock_;
    Event event_;
    std::unique_ptr<Handler> handler_;
    Timer timer_;
};

} // namespace ASync

#pragma once
// The descriptor watcher of the main loop: an Event owns a duplicate of one
// descriptor, asks poll for the events requested with Schedule, and on every
// service calls the bound callback with the descriptor and the returned
// events. It is attached exactly while it holds a descriptor. A callback may
// detach, reschedule or delete its own Event.
#include "runtime/loop/EventHandler.h"
#include "runtime/base/Fd.h"
#include "runtime/base/Measure.h"

#include <memory>
#include <string>

class Event : public EventHandler {
public:
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void Invoke(int fd, short revents) = 0;
    };

    // Calls a member function of an object.
    template <class T>
    class THandler : public Handler {
    public:
        using Action = void (T::*)(int fd, short revents);
        THandler(Action action, T* object) : action_(action), object_(object) {}
        void Invoke(int fd, short revents) override
        {
            if (action_)
                (object_->*action_)(fd, revents);
        }

    private:
        Action action_;
        T* object_;
    };

    Event() = default;
    ~Event() override;

    // Takes ownership of handler and deletes the one bound before.
    void Bind(Handler* handler);
    template <class T>
    void Bind(std::string const& name, typename THandler<T>::Action action, T* object)
    {
        name_ = name;
        Bind(new THandler<T>(action, object));
    }
    void UnBind();
    bool bound() const { return handler_ != nullptr; }

    // Watches a duplicate of fd (the caller's descriptor stays the caller's;
    // passing fd() keeps the current one) for events, and attaches while the
    // descriptor is valid. Takes effect at the next pass.
    void Schedule(Fd const& fd, short events);
    // Detaches and closes the descriptor.
    void Release();

    Fd const& fd() const { return fd_; }
    short events() const { return events_; }
    std::string const& name() const { return name_; }
    // Services whose returned events shared a bit with the requested ones.
    unsigned count() const { return count_; }
    // For the owner's own timing; shown in the status dump.
    Measure& measure() { return measure_; }
    Measure const& measure() const { return measure_; }

    void shedule_event(pollfd& entry) override;
    using EventHandler::svc_event;
    void svc_event(short revents) override;
    std::string event_name() const override { return name_; }
    bool is_named() const override { return true; }

private:
    std::unique_ptr<Handler> handler_;
    Fd fd_;
    short events_ = 0;
    std::string name_ = "Unknown";
    unsigned count_ = 0;
    Measure measure_;
};

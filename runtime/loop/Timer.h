#pragma once
// A member of its owner that holds at most one pending timer event.
// set() creates an event that arms itself and replaces (cancels) the one
// held before; resetting or destroying the Timer cancels. When the event
// fires, the Timer lets go of it before the callback runs, so the callback
// may re-arm the Timer or destroy its owner; the event deletes itself
// afterwards.
//
//     timer_.set(3000, &Link::onTimeout, this);   // void Link::onTimeout()
//     timer_.set(1000, &Link::onTick, this);      // void Link::onTick(Timer*)
#include "runtime/loop/TimerEvent.h"

#include <memory>

class Timer {
public:
    Timer() = default;
    Timer(Timer const&) = delete;
    Timer& operator=(Timer const&) = delete;

    template <class T>
    void set(unsigned ms, void (T::*member)(Timer*), T* object);
    template <class T>
    void set(unsigned ms, void (T::*member)(), T* object);

    // Holds event (null: none), deleting the one held before.
    void reset(TimerEvent* event = nullptr) { event_.reset(event); }
    // Lets go of the held event without deleting it.
    TimerEvent* release() { return event_.release(); }
    TimerEvent* get() const { return event_.get(); }
    bool empty() const { return !event_; }

private:
    std::unique_ptr<TimerEvent> event_;
};

// An event that belongs to a Timer and deletes itself after its callback.
class OwnedTimerEvent : public TimerEvent {
public:
    void fire() final;

protected:
    explicit OwnedTimerEvent(Timer* owner) : owner_(owner) {}
    Timer* owner() const { return owner_; }
    virtual void callback() = 0;

private:
    Timer* owner_;
};

template <class T>
class ObjTimerEvent1 : public OwnedTimerEvent {
public:
    ObjTimerEvent1(Timer* owner, void (T::*member)(), T* object, unsigned ms)
        : OwnedTimerEvent(owner), member_(member), object_(object)
    {
        schedule(ms);
    }

private:
    void callback() override { (object_->*member_)(); }
    void (T::*member_)();
    T* object_;
};

template <class T>
class ObjTimerEvent2 : public OwnedTimerEvent {
public:
    ObjTimerEvent2(Timer* owner, void (T::*member)(Timer*), T* object, unsigned ms)
        : OwnedTimerEvent(owner), member_(member), object_(object)
    {
        schedule(ms);
    }

private:
    void callback() override { (object_->*member_)(owner()); }
    void (T::*member_)(Timer*);
    T* object_;
};

class SimpleTimerEvent1 : public OwnedTimerEvent {
public:
    SimpleTimerEvent1(Timer* owner, void (*function)(), unsigned ms) : OwnedTimerEvent(owner), function_(function)
    {
        schedule(ms);
    }

private:
    void callback() override { function_(); }
    void (*function_)();
};

template <class T>
void Timer::set(unsigned ms, void (T::*member)(Timer*), T* object)
{
    reset(new ObjTimerEvent2<T>(this, member, object, ms));
}

template <class T>
void Timer::set(unsigned ms, void (T::*member)(), T* object)
{
    reset(new ObjTimerEvent1<T>(this, member, object, ms));
}

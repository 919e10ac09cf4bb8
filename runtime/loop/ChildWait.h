#pragma once
// Supervision of one child process: bind a callback, fork, then Attach the
// child's pid. When the child exits, the callback runs on the main loop with
// the wait status, and the waiter is unlisted again (it may be attached to
// another pid, or destroyed by the callback). The exits reach the loop
// through the process-wide ChildWaitService, which ChildWait::Activate
// starts once at start-up.
#include "runtime/base/F_dual_list.h"
// Before the usage counter below, so that the multiplexer outlives the
// service, which is one of its handlers.
#include "runtime/loop/Multiplexer.h"

#include <cstddef>
#include <new>

class ChildWaitService;

class ChildWait : public F_dual_list_item<ChildWait> {
public:
    // The callback; it lives inside the waiter, so it is never freed.
    class Handler {
    public:
        virtual ~Handler() = default;
        virtual void Invoke(ChildWait& waiter, int status) = 0;
        static void operator delete(void*) {}
    };

    template <class T>
    class THandler1 : public Handler {
    public:
        THandler1(T* object, void (T::*member)(int status)) : object_(object), member_(member) {}
        void Invoke(ChildWait&, int status) override { (object_->*member_)(status); }

    private:
        T* object_;
        void (T::*member_)(int status);
    };

    class DummyHandler : public Handler {
    public:
        void Invoke(ChildWait&, int) override {}
    };

    // Keeps the service in existence from the static initialisation of the
    // first source that includes this header until the destruction of the
    // last; see the end of this header.
    class UsageCounter {
    public:
        UsageCounter();
        ~UsageCounter();
        UsageCounter(UsageCounter const&) = delete;
        UsageCounter& operator=(UsageCounter const&) = delete;
    };

    ChildWait() { handler_ = new (storage_) DummyHandler; }
    ~ChildWait();
    ChildWait(ChildWait const&) = delete;
    ChildWait& operator=(ChildWait const&) = delete;

    // Create and delete the service.
    static void Initialize();
    static void Cleanup();
    // Starts turning SIGCHLD into callbacks; called once by the start-up code.
    static void Activate();

    template <class T>
    void Bind(T* object, void (T::*member)(int status))
    {
        static_assert(sizeof(THandler1<T>) <= sizeof storage_, "a child-wait handler must fit its storage");
        handler_->~Handler();
        handler_ = new (storage_) THandler1<T>(object, member);
    }

    // Lists the waiter (again, at the tail) for pid.
    void Attach(int pid);
    void Detach();
    int pid() const { return pid_; }
    bool listed() const { return listed_; }

private:
    friend class ChildWaitService;

    int pid_ = 0;
    bool listed_ = false;
    alignas(std::max_align_t) unsigned char storage_[64];
    Handler* handler_;
};

namespace {
ChildWait::UsageCounter const childWaitUsageCounter;
}

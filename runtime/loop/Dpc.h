#pragma once
// A deferred call: while active, its handler runs twice on every pass of the
// main loop, once after the due timers and once just before poll. Activation
// during a sweep takes effect at the next sweep, deactivation at once. The
// Dpc owns its handler; rebinding deletes the old one at once (even from
// inside its own Invoke, which must then not touch its object any more).
#include <memory>

class DpcHandler {
public:
    virtual ~DpcHandler() = default;
    virtual void Invoke() = 0;
};

// Calls a member function of an object.
template <class T>
class TDpcHandler : public DpcHandler {
public:
    TDpcHandler(T* object, void (T::*member)()) : object_(object), member_(member) {}
    void Invoke() override { (object_->*member_)(); }

private:
    T* object_;
    void (T::*member_)();
};

// Calls a free function.
class DpcHandler1 : public DpcHandler {
public:
    explicit DpcHandler1(void (*function)()) : function_(function) {}
    void Invoke() override { function_(); }

private:
    void (*function_)();
};

class Dpc {
public:
    Dpc() = default;
    ~Dpc();
    Dpc(Dpc const&) = delete;
    Dpc& operator=(Dpc const&) = delete;

    // Takes ownership of handler and deletes the one bound before.
    void Bind(DpcHandler* handler);
    template <class T>
    void Bind(T* object, void (T::*member)())
    {
        Bind(new TDpcHandler<T>(object, member));
    }

    void Activate();
    void Deactivate();
    bool active() const { return active_; }
    DpcHandler* handler() const { return handler_.get(); }

private:
    std::unique_ptr<DpcHandler> handler_;
    bool active_ = false;
};

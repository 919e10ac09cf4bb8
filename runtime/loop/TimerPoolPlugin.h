#pragma once
// An extra deadline source for the main loop: while hooked, the loop asks it
// on every pass how long it may wait at most, and polls no longer than the
// nearest deadline of all timers and plug-ins. A plug-in may unhook itself
// or another one while it is being asked.
class TimerPoolPlugin {
public:
    virtual ~TimerPoolPlugin();

    // Milliseconds to the plug-in's next deadline (0: due now); negative
    // when it has none.
    virtual int millisecondsToDeadline() = 0;

    void timerHook();
    void timerUnhook();
    bool hooked() const { return hooked_; }

protected:
    TimerPoolPlugin() = default;

private:
    bool hooked_ = false;
};

#pragma once
// A Timer whose interval and callback are fixed by a static record of its
// owner class, for owners that re-arm the same periodic job:
//
//     static constexpr TimerSpec<Slot>::Spec updateSpec{&Slot::update, 500};
//     TimerSpec<Slot>::SpecTimer<updateSpec> updateTimer_;
//     updateTimer_.set(this);
#include "runtime/loop/Timer.h"

template <class T>
struct TimerSpec {
    struct Spec {
        void (T::*member)();
        unsigned interval;
    };

    template <Spec const& spec>
    class SpecTimer : public Timer {
    public:
        using Timer::set;
        void set(T* object) { Timer::set(spec.interval, spec.member, object); }
    };
};

#pragma once
// Monotonic elapsed-time clock. The program uses the steady clock; tests
// install their own to control time.
#include <chrono>

namespace platform {

using Duration = std::chrono::nanoseconds;

class Clock {
public:
    virtual ~Clock() = default;
    // Elapsed time since an arbitrary fixed origin; never goes backwards.
    virtual Duration now() = 0;
    virtual void sleepFor(Duration d) = 0;
};

// The clock in use (the steady clock unless a test replaced it).
Clock& clock();
// Replaces the clock; nullptr restores the steady clock. Returns the previous one.
Clock* setClock(Clock* c);

} // namespace platform

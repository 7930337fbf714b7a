#include "platform/clock.h"

#include <thread>

namespace platform {
namespace {

class SteadyClock final : public Clock {
public:
    Duration now() override {
        return std::chrono::duration_cast<Duration>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
    void sleepFor(Duration d) override { std::this_thread::sleep_for(d); }
};

SteadyClock steady;
Clock* current = &steady;

} // namespace

Clock& clock() {
    return *current;
}

Clock* setClock(Clock* c) {
    Clock* old = current == &steady ? nullptr : current;
    current = c ? c : &steady;
    return old;
}

} // namespace platform

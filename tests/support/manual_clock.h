#pragma once
#include "common/clock.h"

namespace trelvo::test {

// A clock that moves only when told; sleeping advances it.
class ManualClock final : public Clock {
public:
    std::int64_t now = 1'000'000;
    LocalTime local{2024, 3, 5, 9, 7, 3, 45, 2};
    std::int64_t sleptMs = 0;

    std::int64_t monotonicMs() const override { return now; }
    LocalTime localTime() const override { return local; }
    void sleepMs(int ms) override {
        sleptMs += ms;
        now += ms;
    }
    void advance(std::int64_t ms) { now += ms; }
};

} // namespace trelvo::test

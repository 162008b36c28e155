#pragma once

#include <QTime>

// The tick is re-armed each time for just after the next whole wall-clock second, so the
// display changes with the second and no minute passes without a tick in it (a free-running
// 1000 ms timer drifts through the second and now and then skips one).
namespace ticks {

// Timers may fire a hair early; landing this far past the second keeps the tick in it.
inline constexpr int kMarginMs = 2;

// Milliseconds from `now` until kMarginMs after the next whole second.
constexpr int msUntilNextTick(int msecOfSecond) {
    return 1000 - msecOfSecond + kMarginMs;
}

inline int msUntilNextTick(const QTime& now) {
    return msUntilNextTick(now.msec());
}

} // namespace ticks

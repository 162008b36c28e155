// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>

// The tick is re-armed each time for just after the next whole wall-clock second, so the
// display changes with the second and no minute passes without a tick in it (a free-running
// 1000 ms timer drifts through the second and now and then skips one).
namespace ticks {

// The tick's timer counts nanoseconds on the monotonic clock, which runs at the wall clock's
// rate, so it never fires before its time: the margin only covers reading the clock and arming.
inline constexpr std::chrono::nanoseconds kMargin = std::chrono::microseconds(20);

// The time from `intoSecond` (how far the wall clock is into its second) until kMargin after
// the next whole second.
constexpr std::chrono::nanoseconds untilNextTick(std::chrono::nanoseconds intoSecond) {
    return std::chrono::seconds(1) - intoSecond + kMargin;
}

} // namespace ticks

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class Clock;
class SettingsStore;
class MessageBoxes;
class WindowStacking;
class SoundPlayer;

// The platform services a window works with; production wires the real ones, tests fakes.
struct Services {
    Clock& clock;
    SettingsStore& store;
    MessageBoxes& messages;
    WindowStacking& stacking;
    SoundPlayer& sound;
};

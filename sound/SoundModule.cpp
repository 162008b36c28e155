// SPDX-License-Identifier: GPL-3.0-or-later
// The entry point of the module "meridex-sound.so", loaded by SoundModulePlayer.

#include "QtSoundPlayer.h"

// Hands the caller the ownership of a new player.
extern "C" Q_DECL_EXPORT SoundPlayer* meridexCreateSoundPlayer() {
    return new QtSoundPlayer;
}

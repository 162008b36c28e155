// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "SoundPlayer.h"

#include <QStringList>

#include <memory>

// The program's sound player, loaded on its first use from the module "meridex-sound.so".
//
// The sound server's client library and the decoders bring in a dozen shared libraries, which
// cost start-up time when the executable links them. A clock that may never ring an alarm
// during a session should not pay that at every start, so the player lives in a module of its
// own and is loaded when a sound is first played.
class SoundModulePlayer final : public SoundPlayer {
public:
    // Looks for the module in these folders, in order.
    explicit SoundModulePlayer(QStringList folders);
    ~SoundModulePlayer() override;
    SoundModulePlayer(const SoundModulePlayer&) = delete;
    SoundModulePlayer& operator=(const SoundModulePlayer&) = delete;

    // The executable's own folder (a build tree), then the library folder of an installation.
    static QStringList installedFolders();

    // Loads the module when it is first needed; when it cannot be loaded, says so and tries
    // again on the next call. An empty path stops a sound and never needs the module.
    QString play(const QString& path) override;

    bool loaded() const { return m_player != nullptr; }

private:
    QString load();

    QStringList m_folders;
    std::unique_ptr<SoundPlayer> m_player;
};

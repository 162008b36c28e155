// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundModulePlayer.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <utility>

namespace {

const QString moduleFileName = QStringLiteral("meridex-sound.so");
// The one symbol the module exports; see SoundModule.cpp.
constexpr char factoryName[] = "meridexCreateSoundPlayer";
using Factory = SoundPlayer* (*)();

} // namespace

SoundModulePlayer::SoundModulePlayer(QStringList folders) : m_folders(std::move(folders)) {}

// The module's code must stay mapped while its player exists; QLibrary never unloads it on its
// own, and nothing here asks it to.
SoundModulePlayer::~SoundModulePlayer() = default;

QStringList SoundModulePlayer::installedFolders() {
    const QString here = QCoreApplication::applicationDirPath();
    return {here, QDir::cleanPath(here + QLatin1Char('/') +
                                  QStringLiteral(MERIDEX_SOUND_MODULE_DIR_FROM_BINARY))};
}

QString SoundModulePlayer::play(const QString& path) {
    if (!m_player) {
        if (path.isEmpty())
            return {};
        if (const QString error = load(); !error.isEmpty())
            return error;
    }
    return m_player->play(path);
}

QString SoundModulePlayer::load() {
    QString why = QStringLiteral("The sound module %1 was not found").arg(moduleFileName);
    for (const QString& folder : std::as_const(m_folders)) {
        const QString file = QDir(folder).filePath(moduleFileName);
        if (!QFileInfo::exists(file))
            continue;
        QLibrary library(file);
        const auto create = reinterpret_cast<Factory>(library.resolve(factoryName));
        if (!create) {
            why =
                QStringLiteral("The sound module cannot be loaded: %1").arg(library.errorString());
            continue;
        }
        m_player.reset(create());
        return {};
    }
    return why;
}

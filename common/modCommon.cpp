// SPDX-License-Identifier: GPL-3.0-or-later
#include "modCommon.h"

#include "RuntimeError.h"
#include "SoundPlayer.h"

#include <exception>

QString PlaySound(SoundPlayer& player, const QString& path) {
    QString error;
    try {
        error = player.play(path);
    } catch (const RuntimeError& e) {
        error = e.description();
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    }
    return error.isEmpty() ? QString() : error + QStringLiteral(" in PlaySound()");
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "NameList.h"

#include <QString>

// Section and key names of the settings store, written exactly as stored files hold them.
namespace keys {

inline const QString kSettings = QStringLiteral("Settings");
inline const QString kDefaultSetup = QStringLiteral("Default");

inline const QString kTop = QStringLiteral("Top");
inline const QString kLeft = QStringLiteral("Left");
inline const QString kWidth = QStringLiteral("Width");
inline const QString kSmall = QStringLiteral("Small");
inline const QString kMini = QStringLiteral("Mini");
inline const QString kAlwaysOnTop = QStringLiteral("AlwaysOnTop");
inline const QString kChk24hLocal = QStringLiteral("chk24hLocal");
inline const QString kChk24hOther = QStringLiteral("chk24hOther");
inline const QString kChkDSTLocal = QStringLiteral("chkDSTLocal");
inline const QString kChk05Local = QStringLiteral("chk05Local");
inline const QString kLocalIndex = QStringLiteral("LocalIndex");
inline const QString kCurrSetup = QStringLiteral("currSetup");
inline const QString kNbSetup = QStringLiteral("nbSetup");

inline const QString kOtherIndex = QStringLiteral("OtherIndex");
inline const QString kChkDSTOther = QStringLiteral("chkDSTOther");
inline const QString kChk05Other = QStringLiteral("chk05Other");
inline const QString kAlarmTimeGMT = QStringLiteral("AlarmTimeGMT");
inline const QString kWhen = QStringLiteral("When");
inline const QString kSound = QStringLiteral("Sound");
inline const QString kChkLocalTime = QStringLiteral("chkLocalTime");

// The setups are listed by name as "nbSetup" and "Setup0" ..., a count of 16 bits.
inline constexpr int kMaxSetups = 32767;
inline NameList setupList() {
    return {kSettings, kNbSetup, QStringLiteral("Setup"), kMaxSetups};
}

inline QString setupKey(int n) {
    return QStringLiteral("Setup") + QString::number(n);
}
inline QString mruKey(int n) {
    return QStringLiteral("MRU") + QString::number(n);
}

// Stored booleans: "True" when set, the word False otherwise; only the exact "True" reads as set.
inline QString boolText(bool on) {
    return on ? QStringLiteral("True") : QStringLiteral("False");
}
inline bool isTrue(const QString& text) {
    return text == QLatin1String("True");
}

} // namespace keys

#pragma once

#include <QString>
#include <QStringList>

// What the store fault tests and their writer process agree on: the setups saved and the keys
// of each. The names include those the store must escape ('/', '%', "General", non-ASCII), so
// that a crash in the middle of a save is also tried on escaped sections.
namespace storewriter {

inline QStringList setupNames() {
    return {QStringLiteral("Tokyo"),
            QStringLiteral("Office/Paris"),
            QStringLiteral("General"),
            QStringLiteral("100% Sydney"),
            QStringLiteral("Zürich \u6771\u4eac"),
            QStringLiteral("back\\slash"),
            QStringLiteral("New York"),
            QStringLiteral("general")};
}

// Every key the editor stores for a setup: its Other zone and its alarm.
inline QStringList setupKeys() {
    return {QStringLiteral("OtherIndex"),   QStringLiteral("chkDSTOther"),
            QStringLiteral("chk05Other"),   QStringLiteral("AlarmTimeGMT"),
            QStringLiteral("chkLocalTime"), QStringLiteral("When"),
            QStringLiteral("Sound")};
}

} // namespace storewriter

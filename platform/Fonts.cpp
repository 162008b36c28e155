// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fonts.h"

#include <QFont>
#include <QString>
#include <QStringList>

void installFontSubstitutions() {
    struct Substitution {
        const char* face;
        const char* substitute;
    };
    static constexpr Substitution substitutions[] = {
        {"Courier New", "Liberation Mono"},
        {"MS Sans Serif", "Liberation Sans"},
        {"MS Serif", "Liberation Serif"},
    };
    for (const Substitution& s : substitutions) {
        const QString face = QString::fromLatin1(s.face);
        const QString substitute = QString::fromLatin1(s.substitute);
        if (!QFont::substitutes(face).contains(substitute, Qt::CaseInsensitive))
            QFont::insertSubstitution(face, substitute);
    }
}

QFont dialogFont() {
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

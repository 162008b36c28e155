// SPDX-License-Identifier: GPL-3.0-or-later
#include "Fonts.h"

#include <QStringList>

#include <algorithm>

#include <fontconfig/fontconfig.h>

namespace {

struct Substitution {
    const char* face;
    const char* substitute;
};

constexpr Substitution kSubstitutions[] = {
    {"Courier New", "Liberation Mono"},
    {"MS Sans Serif", "Liberation Sans"},
    {"MS Serif", "Liberation Serif"},
};

QStringList familiesFor(const QString& face) {
    for (const Substitution& s : kSubstitutions) {
        if (face.compare(QLatin1String(s.face), Qt::CaseInsensitive) == 0)
            return {QString::fromLatin1(s.substitute), face};
    }
    return {face};
}

} // namespace

void installFontSubstitutions() {
    for (const Substitution& s : kSubstitutions) {
        const QString face = QString::fromLatin1(s.face);
        const QString substitute = QString::fromLatin1(s.substitute);
        if (!QFont::substitutes(face).contains(substitute, Qt::CaseInsensitive))
            QFont::insertSubstitution(face, substitute);
    }
}

void setClassicFace(QFont& font, const QString& face) {
    font.setFamilies(familiesFor(face));
}

QFont classicFont(const QString& face, qreal points, bool bold) {
    QFont font;
    setClassicFace(font, face);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QString classicFace(const QFont& font) {
    const QStringList families = font.families();
    return families.isEmpty() ? font.family() : families.last();
}

bool withinLatin1(QStringView text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xff; });
}

QFont dialogFont() {
    return classicFont(QStringLiteral("MS Sans Serif"), 8);
}

FontconfigWarmUp::FontconfigWarmUp() : m_thread([] { FcInit(); }) {}

FontconfigWarmUp::~FontconfigWarmUp() {
    finish();
}

void FontconfigWarmUp::finish() {
    if (m_thread.joinable())
        m_thread.join();
}

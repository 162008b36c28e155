#pragma once

#include <QByteArray>
#include <QRegularExpression>
#include <QSet>
#include <QString>

// A strict reading of the INI text QSettings writes: section headers, key=value lines and blank
// lines only, no section twice, no key twice in a section, and a line break at the end. A file
// cut short, two writes interleaved, or a value written without its escapes breaks one of them.
// Returns what is wrong, or "" for a clean (or empty) file.
inline QString strictIniProblem(const QByteArray& text) {
    using namespace Qt::StringLiterals;
    if (text.isEmpty())
        return {};
    if (!text.endsWith('\n'))
        return u"the file does not end with a line break"_s;
    static const QRegularExpression header(u"^\\[[^\\[\\]]+\\]$"_s);
    // QSettings keeps (and writes back) even a key with an empty name.
    static const QRegularExpression entry(u"^(?!\\[)[^=]*=.*$"_s);
    QSet<QString> sections;
    QSet<QString> keys;
    QString section;
    int lineNumber = 0;
    for (const QByteArray& raw : text.split('\n')) {
        ++lineNumber;
        for (const char c : raw) {
            // QSettings writes control characters as escapes, never as they are.
            if (uchar(c) < 0x20 && c != '\t')
                return u"line %1 holds the control character %2"_s.arg(lineNumber).arg(int(c));
        }
        const QString line = QString::fromUtf8(raw);
        if (line.isEmpty())
            continue;
        if (header.match(line).hasMatch()) {
            section = line;
            if (sections.contains(section))
                return u"section %1 appears twice"_s.arg(section);
            sections.insert(section);
            keys.clear();
        } else if (entry.match(line).hasMatch()) {
            const QString key = line.section(u'=', 0, 0);
            if (keys.contains(key))
                return u"key %1 appears twice in %2"_s.arg(key, section);
            keys.insert(key);
        } else {
            return u"line %1 is neither a section nor a key: %2"_s.arg(lineNumber)
                .arg(line.left(80));
        }
    }
    return {};
}

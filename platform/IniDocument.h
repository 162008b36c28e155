// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVarLengthArray>

#include <vector>

// The text of an INI file in QSettings' format, kept line by line: text() gives back every line
// that no change touched exactly as it was read (comments, blank lines, order, a person's own
// spelling of a value), so a file edited by hand or by another tool is never rewritten beyond
// what the program changed.
//
// Groups and keys are named as QSettings names them: a key's group is its section's name with
// QSettings' escapes undone ("%2C" is ',', "%U6771" is '東', a "\" in a key is a '/'); [General]
// holds the keys of the group "". A key whose full name "section/key" holds more slashes belongs to
// the group before the first one, as in QSettings.
//
// Values are read whole: an unquoted ',' is part of the text, where QSettings would split the
// value into a list (which it then reads back as ""). Quotes, backslash escapes and a leading
// "@@" are read as QSettings writes them.
class IniDocument {
public:
    static IniDocument parse(const QByteArray& text);
    QByteArray text() const;

    // The value of the key, or "" when the group or the key does not exist.
    QString value(const QString& group, const QString& key) const;
    bool contains(const QString& group, const QString& key) const;
    bool hasGroup(const QString& group) const;
    // Changes or adds a key: an existing line is replaced in place, a new key goes after its
    // group's last key, a new group at the end of the file.
    void set(const QString& group, const QString& key, const QString& value);
    // Drops every line of the group (its section headers too).
    void removeGroup(const QString& group);

    // The text QSettings reads back as `value`; quoted only where it must be.
    static QByteArray encodeValue(const QString& value);
    // The text of a value line after its '=', read as a whole text.
    static QString decodeValue(QByteArrayView raw);
    // A key or section name as QSettings writes it, and back.
    static QByteArray encodeKey(QStringView key);
    static QString decodeKey(QByteArrayView raw);

private:
    struct Line {
        QByteArray raw{};       // as in the file, without the line's end
        QString key{};          // empty for headers, comments and blank lines
        qsizetype valueAt = -1; // where the value begins in raw; decoded when read
        bool dropped = false;
    };
    // A section header and the lines under it; the lines before the first header are a block
    // of the group "" without a header.
    struct Block {
        QString group;
        std::vector<Line> lines; // lines[0] is the header, except in the leading block
        bool removed = false;
        bool added = false;  // not read from the file
        bool nested = false; // a section "group/more": its keys' names begin with "more/"
    };
    struct Place {
        int block;
        int line;
    };
    // A group's keys: a few in a short list (most groups), many in a hash.
    struct Group {
        QVarLengthArray<int, 2> blocks;
        std::vector<std::pair<QString, Place>> few;
        QHash<QString, Place> many;

        const Place* find(const QString& key) const;
        void insert(const QString& key, Place place);
        bool isEmpty() const { return few.empty() && many.isEmpty(); }
        template <typename F> void forEach(F f) const {
            for (const auto& [key, place] : few)
                f(place);
            for (const Place& place : many)
                f(place);
        }
    };

    void index(const QString& group, int block, int line);
    const Line* find(const QString& group, const QString& key) const;
    static QByteArrayView valueText(const Line& line);

    // The text as read: unchanged lines point into it rather than hold copies.
    QByteArray m_source;
    std::vector<Block> m_blocks;
    QHash<QString, Group> m_groups;
};

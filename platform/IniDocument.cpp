// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniDocument.h"

#include <tuple>
#include <utility>

namespace {

int hexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// A key line's full name "section/key" split as QSettings groups it: before the first '/'.
std::pair<QString, QString> splitFullName(const QString& full) {
    const qsizetype slash = full.indexOf(u'/');
    if (slash < 0)
        return {QString(), full};
    return {full.left(slash), full.mid(slash + 1)};
}

} // namespace

QString IniDocument::decodeKey(QByteArrayView raw) {
    const QString decoded = QString::fromUtf8(raw);
    QString result;
    result.reserve(decoded.size());
    for (qsizetype i = 0; i < decoded.size();) {
        const char16_t c = decoded[i].unicode();
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        const qsizetype digits = i + 1 < decoded.size() && decoded[i + 1] == u'U' ? 4 : 2;
        const qsizetype first = i + 1 + (digits == 4 ? 1 : 0);
        bool ok = false;
        const ushort code = c == u'%' && first + digits <= decoded.size()
                                ? QStringView(decoded).sliced(first, digits).toUShort(&ok, 16)
                                : 0;
        if (!ok) {
            result += QChar(c);
            ++i;
            continue;
        }
        result += QChar(code);
        i = first + digits;
    }
    return result;
}

QByteArray IniDocument::encodeKey(QStringView key) {
    QByteArray text;
    text.reserve(key.size());
    for (const QChar c : key) {
        const char16_t u = c.unicode();
        if (u == u'/')
            text += '\\';
        else if ((u < 0x80 && c.isLetterOrNumber()) || u == u'_' || u == u'-' || u == u'.')
            text += char(u);
        else
            text += (u <= 0xFF ? "%" : "%U") +
                    QByteArray::number(u, 16).toUpper().rightJustified(u <= 0xFF ? 2 : 4, '0');
    }
    return text;
}

// Quoted when it holds ';', ',' or '=' or begins or ends with a blank; '\\' and '"' escaped with
// a backslash, control characters as "\\xHH"; UTF-8 otherwise. A leading '@' marks QSettings'
// typed values; doubled, it reads back as itself.
QByteArray IniDocument::encodeValue(const QString& value) {
    QString escaped = value.startsWith(u'@') ? QStringLiteral("@") : QString();
    bool quoted = false;
    bool afterHex = false; // "\\x" takes every hex digit that follows it
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        quoted = quoted || u == u';' || u == u',' || u == u'=';
        if (u == u'\\' || u == u'"') {
            escaped += u'\\';
            escaped += c;
            afterHex = false;
        } else if (u < 0x20 || u == 0x7F || (afterHex && hexDigitValue(u) >= 0)) {
            escaped += QStringLiteral("\\x") + QString::number(u, 16);
            afterHex = true;
        } else {
            escaped += c;
            afterHex = false;
        }
    }
    quoted = quoted || escaped.startsWith(u' ') || escaped.endsWith(u' ');
    return quoted ? '"' + escaped.toUtf8() + '"' : escaped.toUtf8();
}

// QSettings' reading of a value, less its splitting into a list at each unquoted ','.
QString IniDocument::decodeValue(QByteArrayView raw) {
    QString result;
    qsizetype i = 0;
    const qsizetype n = raw.size();
    const auto skipBlanks = [&] {
        while (i < n && isBlank(raw[i]))
            ++i;
    };
    skipBlanks();
    // Fast path: the usual plain value.
    qsizetype plainEnd = i;
    while (plainEnd < n && raw[plainEnd] != '\\' && raw[plainEnd] != '"')
        ++plainEnd;
    if (plainEnd == n && (i == n || raw[i] != '@')) {
        qsizetype end = n;
        while (end > i && isBlank(raw[end - 1]))
            --end;
        return QString::fromUtf8(raw.sliced(i, end - i));
    }

    bool inQuotes = false;
    bool quoted = false;
    qsizetype keep = 0; // trailing blanks before this are escaped or quoted: never chopped
    while (i < n) {
        const char c = raw[i];
        if (c == '\\') {
            ++i;
            if (i >= n)
                break;
            const char e = raw[i++];
            static constexpr char kEscapes[][2] = {
                {'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'},  {'r', '\r'}, {'t', '\t'},
                {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
            bool simple = false;
            for (const auto& escape : kEscapes) {
                if (e == escape[0]) {
                    result += QLatin1Char(escape[1]);
                    simple = true;
                    break;
                }
            }
            if (!simple && e == 'x') {
                char16_t code = 0;
                bool any = false;
                for (; i < n && hexDigitValue(char16_t(uchar(raw[i]))) >= 0; ++i, any = true)
                    code = char16_t(code * 16 + hexDigitValue(char16_t(uchar(raw[i]))));
                if (any)
                    result += QChar(code);
            } else if (!simple && e >= '0' && e <= '7') {
                char16_t code = char16_t(e - '0');
                for (; i < n && raw[i] >= '0' && raw[i] <= '7'; ++i)
                    code = char16_t(code * 8 + (raw[i] - '0'));
                result += QChar(code);
            }
            keep = result.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                keep = result.size();
            }
        } else {
            qsizetype j = i + 1;
            while (j < n && raw[j] != '\\' && raw[j] != '"')
                ++j;
            result += QString::fromUtf8(raw.sliced(i, j - i));
            i = j;
        }
    }
    if (!quoted) {
        qsizetype end = result.size();
        while (end > keep && (result[end - 1] == u' ' || result[end - 1] == u'\t'))
            --end;
        result.truncate(end);
    }
    if (result.startsWith(QLatin1String("@@")))
        return result.mid(1);
    if (result.startsWith(QLatin1String("@ByteArray(")) && result.endsWith(u')'))
        return result.mid(11, result.size() - 12);
    if (result == QLatin1String("@Invalid()"))
        return QString();
    return result;
}

IniDocument IniDocument::parse(const QByteArray& text) {
    IniDocument doc;
    doc.m_source = text;
    doc.m_blocks.push_back(Block{});
    QString keyPrefix; // the section's name after its first '/', and a '/'
    // Most keys recur in every section: one decoded text each, shared.
    QHash<QByteArray, QString> keyNames;
    QByteArrayView data(doc.m_source);
    if (data.startsWith("\xef\xbb\xbf"))
        data = data.sliced(3);
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArrayView line = data.sliced(start, end - start);
        start = end + 1;
        Line entry{QByteArray::fromRawData(line.data(), line.size())};
        if (line.endsWith('\r'))
            line.chop(1);
        qsizetype first = 0;
        while (first < line.size() && isBlank(line[first]))
            ++first;
        const QByteArrayView content = line.sliced(first);
        if (content.startsWith('[')) {
            qsizetype close = content.indexOf(']');
            const QByteArrayView name =
                content.sliced(1, (close < 0 ? content.size() : close) - 1).trimmed();
            QString section;
            if (name.compare("general", Qt::CaseInsensitive) == 0)
                section.clear();
            else if (name.compare("%general", Qt::CaseInsensitive) == 0)
                section = QString::fromLatin1(name.sliced(1));
            else
                section = decodeKey(name);
            const auto [group, rest] = splitFullName(section);
            Block block;
            block.group = section.contains(u'/') ? group : section;
            block.nested = section.contains(u'/');
            keyPrefix = section.contains(u'/') ? rest + u'/' : QString();
            block.lines.reserve(8);
            block.lines.push_back(std::move(entry));
            doc.m_blocks.push_back(std::move(block));
            continue;
        }
        const qsizetype equals = content.indexOf('=');
        const int b = int(doc.m_blocks.size() - 1);
        Block& block = doc.m_blocks.back();
        QString group = block.group;
        if (equals > 0 && !content.startsWith(';') && !content.startsWith('#')) {
            const QByteArrayView rawKey = content.first(equals).trimmed();
            auto known = keyNames.constFind(QByteArray::fromRawData(rawKey.data(), rawKey.size()));
            if (known == keyNames.cend())
                known = keyNames.insert(rawKey.toByteArray(), decodeKey(rawKey));
            if (!known->isEmpty()) {
                entry.valueAt = first + equals + 1;
                entry.key = keyPrefix.isEmpty() ? *known : keyPrefix + *known;
                // A key in [General] may name a group of its own ("Tokyo\When").
                if (group.isEmpty() && entry.key.contains(u'/'))
                    std::tie(group, entry.key) = splitFullName(entry.key);
            }
        }
        block.lines.push_back(std::move(entry));
        if (!block.lines.back().key.isEmpty())
            doc.index(group, b, int(block.lines.size() - 1));
    }
    for (int b = 1; b < int(doc.m_blocks.size()); ++b)
        doc.m_groups[doc.m_blocks[std::size_t(b)].group].blocks.push_back(b);
    return doc;
}

void IniDocument::index(const QString& group, int block, int line) {
    // The last of two lines with one key wins, as in QSettings.
    m_groups[group].insert(m_blocks[std::size_t(block)].lines[std::size_t(line)].key,
                           Place{block, line});
}

QByteArray IniDocument::text() const {
    QByteArray text;
    qsizetype size = 0;
    for (const Block& block : m_blocks)
        for (const Line& line : block.lines)
            size += line.raw.size() + 1;
    text.reserve(size + 64);
    for (const Block& block : m_blocks) {
        if (block.removed)
            continue;
        if (block.added && !text.isEmpty() && !text.endsWith("\n\n"))
            text += '\n';
        for (const Line& line : block.lines) {
            if (line.dropped)
                continue;
            text += line.raw;
            text += '\n';
        }
    }
    return text;
}

QByteArrayView IniDocument::valueText(const Line& line) {
    QByteArrayView text = QByteArrayView(line.raw).sliced(line.valueAt);
    if (text.endsWith('\r'))
        text.chop(1);
    return text;
}

const IniDocument::Line* IniDocument::find(const QString& group, const QString& key) const {
    const auto g = m_groups.constFind(group);
    if (g == m_groups.cend())
        return nullptr;
    const Place* place = g->find(key);
    if (!place)
        return nullptr;
    return &m_blocks[std::size_t(place->block)].lines[std::size_t(place->line)];
}

QString IniDocument::value(const QString& group, const QString& key) const {
    const Line* line = find(group, key);
    return line ? decodeValue(valueText(*line)) : QStringLiteral("");
}

bool IniDocument::contains(const QString& group, const QString& key) const {
    return find(group, key) != nullptr;
}

bool IniDocument::hasGroup(const QString& group) const {
    const auto g = m_groups.constFind(group);
    return g != m_groups.cend() && !g->isEmpty();
}

void IniDocument::set(const QString& group, const QString& key, const QString& value) {
    Group& g = m_groups[group];
    if (const Place* place = g.find(key)) {
        Line& line = m_blocks[std::size_t(place->block)].lines[std::size_t(place->line)];
        if (decodeValue(valueText(line)) == value)
            return; // the line stays as it was written, however that was
        // The key keeps its spelling and the line its end; only the value is written anew.
        line.raw = line.raw.left(line.valueAt) + encodeValue(value) +
                   (line.raw.endsWith('\r') ? "\r" : "");
        return;
    }
    int target = -1;
    for (auto b = g.blocks.crbegin(); b != g.blocks.crend() && target < 0; ++b)
        if (!m_blocks[std::size_t(*b)].removed && !m_blocks[std::size_t(*b)].nested)
            target = *b;
    if (target < 0 && group.isEmpty()) {
        target = 0; // keys before any section header are QSettings' [General]
    } else if (target < 0) {
        Block block;
        block.group = group;
        block.added = true;
        // QSettings reads any [general] as the keys outside every group, [%general] as a group.
        const QByteArray name = group.compare(QLatin1String("general"), Qt::CaseInsensitive) == 0
                                    ? '%' + encodeKey(group)
                                    : encodeKey(group);
        block.lines.push_back(Line{'[' + name + ']'});
        m_blocks.push_back(std::move(block));
        target = int(m_blocks.size() - 1);
        g.blocks.push_back(target);
    }
    // After the block's last key, before the blank lines and comments that end it; only lines
    // without keys move, so no place in the index changes.
    std::vector<Line>& lines = m_blocks[std::size_t(target)].lines;
    std::size_t at = lines.size();
    while (at > 0 && lines[at - 1].key.isEmpty() && !(target > 0 && at == 1))
        --at;
    const QByteArray keyText = encodeKey(key);
    Line line{keyText + '=' + encodeValue(value), key, keyText.size() + 1};
    lines.insert(lines.begin() + qsizetype(at), std::move(line));
    g.insert(key, Place{target, int(at)});
}

void IniDocument::removeGroup(const QString& group) {
    const auto g = m_groups.find(group);
    if (g == m_groups.end())
        return;
    g->forEach([this](const Place& place) {
        m_blocks[std::size_t(place.block)].lines[std::size_t(place.line)].dropped = true;
    });
    for (const int block : g->blocks)
        m_blocks[std::size_t(block)].removed = true;
    m_groups.erase(g);
}

const IniDocument::Place* IniDocument::Group::find(const QString& key) const {
    if (!many.isEmpty()) {
        const auto place = many.constFind(key);
        return place == many.cend() ? nullptr : &*place;
    }
    for (const auto& entry : few)
        if (entry.first == key)
            return &entry.second;
    return nullptr;
}

void IniDocument::Group::insert(const QString& key, Place place) {
    constexpr std::size_t kFew = 16;
    if (many.isEmpty()) {
        for (auto& entry : few) {
            if (entry.first == key) {
                entry.second = place;
                return;
            }
        }
        if (few.size() < kFew) {
            few.emplace_back(key, place);
            return;
        }
        for (const auto& entry : few)
            many.insert(entry.first, entry.second);
        few.clear();
    }
    many.insert(key, place);
}

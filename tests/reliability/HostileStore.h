#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The settings file as the hostile-input tests prepare it: a valid store with two setups whose
// alarms ring at 14:01 GMT every day, in which any one key can be given any bytes.
namespace hostile {

struct Key {
    const char* section; // "Settings" or "Tokyo" (the current setup)
    const char* name;
};

// Every key of the store layout: the main section's and the current setup's.
inline QList<Key> layoutKeys() {
    QList<Key> keys;
    for (const char* k :
         {"Top",         "Left",        "Width",          "Small",        "Mini",
          "AlwaysOnTop", "chk24hLocal", "chk24hOther",    "chkDSTLocal",  "chk05Local",
          "LocalIndex",  "currSetup",   "nbSetup",        "Setup0",       "Setup1",
          "MRU1",        "MRU2",        "MRU3",           "MRU4",         "MRU5",
          "sTop",        "sLeft",       "MonthView.Left", "MonthView.top"})
        keys.append(Key{"Settings", k});
    for (const char* k : {"OtherIndex", "chkDSTOther", "chk05Other", "AlarmTimeGMT", "When",
                          "Sound", "chkLocalTime"})
        keys.append(Key{"Tokyo", k});
    return keys;
}

struct Value {
    const char* kind;
    QByteArray bytes; // exactly as they stand in the file after "key="
};

// Binary bytes: everything but the line breaks, which would end the line (garbage files try
// those), in a scrambled order so that invalid UTF-8 sequences come up.
inline QByteArray binaryBytes() {
    QByteArray bytes;
    for (int i = 0; i < 256 * 4; ++i) {
        const char c = char((i * 97 + 13) & 0xFF);
        if (c != '\n' && c != '\r')
            bytes.append(c);
    }
    return bytes;
}

inline QList<Value> hostileValues() {
    return {
        {"empty", ""},
        {"blanks", "\"   \""},
        {"blanks and tabs around a number", "\" \t 3 \t \""},
        {"non-numeric text", "abc"},
        {"number then text", "12abc"},
        {"minus one", "-1"},
        {"negative", "-7"},
        {"16-bit minimum", "-32768"},
        {"16-bit maximum", "32767"},
        {"just beyond 16 bits", "32768"},
        {"just below 16 bits", "-32769"},
        {"beyond 32 bits", "99999999999999999999"},
        {"beyond a double", "1e309"},
        {"below a double", "-1e309"},
        {"beyond int as coordinate", "1e11"},
        {"fraction", "2.5"},
        {"one megabyte of text", QByteArray(1 << 20, 'x')},
        {"one megabyte of digits", QByteArray(1 << 20, '9')},
        {"binary bytes", binaryBytes()},
        {"escaped control characters", "\\0\\x1\\a\\b\\x7f\\t"},
        {"a list", "a, b, c"},
        {"a rectangle variant", "@Rect(1 2 3 4)"},
        {"a byte array variant", "@ByteArray(\\xff\\xfe\\0)"},
        {"a variant of unknown type", "@Variant(\\0\\0\\0\\x7f\\0)"},
        {"a variant list claiming 4e9 items", "@Variant(\\0\\0\\0\\t\\0\\xff\\xff\\xff\\xfe)"},
        {"a string variant claiming 2 GB", "@Variant(\\0\\0\\0\\n\\0\\x7f\\xff\\xff\\xfe)"},
        {"a picture variant of garbage", "@Variant(\\0\\0\\0\\x46\\0\\0\\0\\0\\x10garbage)"},
        {"a pixmap variant of garbage", "@Variant(\\0\\0\\0\\x41\\0\\x89PNG\\r\\n)"},
        {"unterminated quote", "\"abc"},
        {"unterminated variant", "@Variant("},
    };
}

// The prepared store: "Tokyo" (current) and "Paris", both ringing at 14:01 every day.
inline QList<std::pair<QByteArray, QList<std::pair<QByteArray, QByteArray>>>> baseline() {
    return {
        {"Settings", {{"Top", "1500"},      {"Left", "1500"},          {"Width", "5505"},
                      {"Small", "False"},   {"Mini", "False"},         {"AlwaysOnTop", "False"},
                      {"chk24hLocal", "1"}, {"chk24hOther", "0"},      {"chkDSTLocal", "0"},
                      {"chk05Local", "0"},  {"LocalIndex", "11"},      {"currSetup", "Tokyo"},
                      {"nbSetup", "2"},     {"Setup0", "Tokyo"},       {"Setup1", "Paris"},
                      {"MRU1", "Tokyo"},    {"MRU2", "Paris"},         {"MRU3", "Lima"},
                      {"MRU4", "Oslo"},     {"MRU5", "Rome"},          {"sTop", "1200"},
                      {"sLeft", "1200"},    {"MonthView.Left", "300"}, {"MonthView.top", "300"}}},
        {"Tokyo",
         {{"OtherIndex", "2"},
          {"chkDSTOther", "0"},
          {"chk05Other", "0"},
          {"AlarmTimeGMT", "14:01:00"},
          {"When", "1"},
          {"Sound", "/nonexistent/tokyo.wav"},
          {"chkLocalTime", "1"}}},
        {"Paris",
         {{"OtherIndex", "10"},
          {"chkDSTOther", "1"},
          {"chk05Other", "0"},
          {"AlarmTimeGMT", "14:01:00"},
          {"When", "\" 1\""},
          {"Sound", "/nonexistent/paris.wav"},
          {"chkLocalTime", "0"}}},
    };
}

// The baseline file with one key's bytes replaced (section and key empty: none replaced).
inline QByteArray storeText(const QByteArray& section = {}, const QByteArray& key = {},
                            const QByteArray& value = {}) {
    QByteArray text;
    for (const auto& [name, entries] : baseline()) {
        text += '[' + name + "]\n";
        for (const auto& [k, v] : entries)
            text += k + '=' + (name == section && k == key ? value : v) + '\n';
        text += '\n';
    }
    return text;
}

} // namespace hostile

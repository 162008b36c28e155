#pragma once

#include <QByteArray>
#include <QList>

// The settings file as the hostile-input tests prepare it: "Tokyo" (current) and "Paris", both
// ringing at 14:01 GMT every day, in which any one key can be given any bytes.
namespace hostile {

// Each section's lines, as they stand in the file.
inline QList<std::pair<QByteArray, QByteArrayList>> baseline() {
    return {{"Settings",
             {"Top=1500",      "Left=1500",         "Width=5505",         "Small=False",
              "Mini=False",    "AlwaysOnTop=False", "chk24hLocal=1",      "chk24hOther=0",
              "chkDSTLocal=0", "chk05Local=0",      "LocalIndex=11",      "currSetup=Tokyo",
              "nbSetup=2",     "Setup0=Tokyo",      "Setup1=Paris",       "MRU1=Tokyo",
              "MRU2=Paris",    "MRU3=Lima",         "MRU4=Oslo",          "MRU5=Rome",
              "sTop=1200",     "sLeft=1200",        "MonthView.Left=300", "MonthView.top=300"}},
            {"Tokyo",
             {"OtherIndex=2", "chkDSTOther=0", "chk05Other=0", "AlarmTimeGMT=14:01:00", "When=1",
              "Sound=/nonexistent/tokyo.wav", "chkLocalTime=1"}},
            {"Paris",
             {"OtherIndex=10", "chkDSTOther=1", "chk05Other=0", "AlarmTimeGMT=14:01:00",
              "When=\" 1\"", "Sound=/nonexistent/paris.wav", "chkLocalTime=0"}}};
}

// The baseline file with one key's bytes replaced (section and key empty: none replaced).
inline QByteArray storeText(const QByteArray& section = {}, const QByteArray& key = {},
                            const QByteArray& value = {}) {
    QByteArray text;
    for (const auto& [name, lines] : baseline()) {
        text += '[' + name + "]\n";
        for (const QByteArray& line : lines)
            text +=
                (name == section && line.startsWith(key + '=') ? key + '=' + value : line) + '\n';
        text += '\n';
    }
    return text;
}

// What a value reads as, where that decides the clock's few reports at start.
enum class Reads { Other, Negative, Beyond16Bits };

struct Value {
    const char* kind;
    QByteArray bytes; // exactly as they stand in the file after "key="
    Reads reads = Reads::Other;
};

inline QList<Value> hostileValues() {
    // Every byte but the line breaks (which would end the line; garbage files try those), in a
    // scrambled order so that invalid UTF-8 sequences come up.
    QByteArray binary;
    for (int i = 0; i < 256 * 4; ++i)
        if (const char c = char((i * 97 + 13) & 0xFF); c != '\n' && c != '\r')
            binary.append(c);
    using enum Reads;
    return {{"empty", ""},
            {"blanks", "\"   \""},
            {"blanks and tabs around a number", "\" \t 3 \t \""},
            {"non-numeric text", "abc"},
            {"number then text", "12abc"},
            {"minus one", "-1", Negative},
            {"negative", "-7", Negative},
            {"16-bit minimum", "-32768", Negative},
            {"16-bit maximum", "32767"},
            {"just beyond 16 bits", "32768", Beyond16Bits},
            {"just below 16 bits", "-32769", Beyond16Bits},
            {"beyond 32 bits", "99999999999999999999", Beyond16Bits},
            {"beyond a double", "1e309", Beyond16Bits},
            {"below a double", "-1e309", Beyond16Bits},
            {"beyond int as coordinate", "1e11", Beyond16Bits},
            {"fraction", "2.5"},
            {"one megabyte of text", QByteArray(1 << 20, 'x')},
            {"one megabyte of digits", QByteArray(1 << 20, '9'), Beyond16Bits},
            {"binary bytes", binary},
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
            {"unterminated variant", "@Variant("}};
}

} // namespace hostile

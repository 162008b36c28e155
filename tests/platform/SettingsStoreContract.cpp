#include "SettingsStoreContract.h"

#include "RuntimeError.h"
#include "SettingsStore.h"

#include <QTest>

using namespace Qt::StringLiterals;

QList<std::pair<const char*, QString>> typedSectionNames() {
    return {
        {"plain", u"Tokyo"_s},
        {"main settings", u"Settings"_s},
        {"ad-hoc setup", u"Default"_s},
        {"blank inside", u"My Setup"_s},
        {"lower case twin", u"tokyo"_s},
        {"empty", QString()},
        {"one blank", u" "_s},
        {"leading and trailing blanks", u"  Paris  "_s},
        {"slash", u"Europe/Paris"_s},
        {"leading slash", u"/Paris"_s},
        {"trailing slash", u"Paris/"_s},
        {"double slash", u"a//b"_s},
        {"backslash", u"C:\\Temp\\"_s},
        {"ini syntax", u"[x] = y ; z # w"_s},
        {"percent", u"100%"_s},
        {"lone percent", u"%"_s},
        {"escape lookalike", u"%2F"_s},
        {"General", u"General"_s},
        {"general", u"general"_s},
        {"GENERAL", u"GENERAL"_s},
        {"gEnErAl", u"gEnErAl"_s},
        {"general with prefix", u"%General"_s},
        {"escaped general lookalike", u"%47eneral"_s},
        {"general with blank", u"General "_s},
        {"quotes and comma", u"\"a\", b"_s},
        {"at sign", u"@Variant(x)"_s},
        {"accented", u"Zürich"_s},
        {"other script", u"東京 Москва"_s},
        {"outside the BMP", u"Party 🎉"_s},
    };
}

void SettingsStoreContract::init() {
    startEmpty();
}

void SettingsStoreContract::absentValuesReadAsEmptyText() {
    store().write(u"Settings"_s, u"Top"_s, u"120"_s);

    const SettingsStore& later = reopened();
    QCOMPARE(later.read(u"Settings"_s, u"Top"_s), u"120");
    for (const auto& [section, key] : {std::pair{"Settings", "Left"}, std::pair{"Tokyo", "Top"}}) {
        const QString value = later.read(QString::fromLatin1(section), QString::fromLatin1(key));
        QVERIFY(value.isEmpty());
        QVERIFY(!value.isNull());
    }
    QVERIFY(!later.hasSection(u"Tokyo"_s));
}

void SettingsStoreContract::namesAreKeptExactlyAndApart_data() {
    QTest::addColumn<QString>("name");
    for (const auto& [label, name] : typedSectionNames())
        QTest::newRow(label) << name;
}

void SettingsStoreContract::namesAreKeptExactlyAndApart() {
    QFETCH(QString, name);
    store().write(name, u"OtherIndex"_s, u"3"_s);
    store().write(name, u"MonthView.top"_s, name);

    const SettingsStore& later = reopened();
    QVERIFY(later.hasSection(name));
    QCOMPARE(later.read(name, u"MonthView.top"_s), name);
    QCOMPARE(later.read(name, u"OtherIndex"_s), u"3");
    for (const auto& [label, other] : typedSectionNames()) {
        if (other != name)
            QVERIFY2(!later.hasSection(other), label);
    }
}

void SettingsStoreContract::valuesAreKeptExactly_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("empty") << u""_s;
    QTest::newRow("leading blank") << u" 1"_s;
    QTest::newRow("blanks around") << u"  4  "_s;
    QTest::newRow("line breaks") << u"one\ntwo\r\nthree\n"_s;
    QTest::newRow("ini syntax") << u"[Settings]\nTop=1; not a comment # nor this"_s;
    QTest::newRow("quotes, comma, backslash") << u"\"C:\\x\", y\\"_s;
    QTest::newRow("tab and control") << u"a\tb\x01"_s;
    QTest::newRow("at sign") << u"@Variant(AAAAAQ==)"_s;
    QTest::newRow("path") << u"/home/zoë/Sounds/alarm 1.wav"_s;
    QTest::newRow("other scripts") << u"東京 🎉"_s;
    QTest::newRow("one megabyte") << QString(1 << 20, u'x');
}

void SettingsStoreContract::valuesAreKeptExactly() {
    QFETCH(QString, value);
    store().write(u"Tokyo"_s, u"Sound"_s, value);
    store().write(u"Tokyo"_s, u"When"_s, u"1"_s);

    QCOMPARE(reopened().read(u"Tokyo"_s, u"Sound"_s), value);
    QCOMPARE(reopened().read(u"Tokyo"_s, u"When"_s), u"1");
}

void SettingsStoreContract::deletingRemovesTheWholeSectionOnly() {
    store().write(u"Tokyo"_s, u"OtherIndex"_s, u"2"_s);
    store().write(u"Tokyo"_s, u"When"_s, u"1"_s);
    store().write(u"tokyo"_s, u"When"_s, u"3"_s);
    store().write(u"Settings"_s, u"Setup0"_s, u"Tokyo"_s);

    store().deleteSection(u"Tokyo"_s);

    const SettingsStore& later = reopened();
    QVERIFY(!later.hasSection(u"Tokyo"_s));
    QCOMPARE(later.read(u"Tokyo"_s, u"OtherIndex"_s), u"");
    QCOMPARE(later.read(u"tokyo"_s, u"When"_s), u"3");
    QCOMPARE(later.read(u"Settings"_s, u"Setup0"_s), u"Tokyo");
}

void SettingsStoreContract::deletingAMissingSectionFails() {
    store().write(u"tokyo"_s, u"When"_s, u"3"_s);

    for (const QString& missing : {u"Tokyo"_s, u""_s, u"General"_s}) {
        try {
            store().deleteSection(missing);
            QFAIL(qPrintable(u"Deleting the missing section \"%1\" succeeded"_s.arg(missing)));
        } catch (const RuntimeError& error) {
            QVERIFY(error.description().contains(u"\"%1\""_s.arg(missing)));
        }
    }
    QCOMPARE(reopened().read(u"tokyo"_s, u"When"_s), u"3");
}

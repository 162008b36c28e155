#include "IniSettingsStore.h"
#include "Doubles.h"
#include "RuntimeError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Setup names a user can type, among them every text QSettings would nest, drop or fold: its
// own main group, blanks, slashes, backslashes, INI syntax, its escapes, quotes and commas.
const QStringList typedNames{"Tokyo",    "Settings",   "Default",         "My Setup",     "tokyo",
                             "",         " ",          "  Paris  ",       "Europe/Paris", "/Paris/",
                             "a//b",     "C:\\Temp\\", "[x] = y ; z # w", "100%",         "%",
                             "%2F",      "General",    "general",         "GENERAL",      "gEnErAl",
                             "%General", "%47eneral",  "\"a\", b",        "@Variant(x)",  "Zürich",
                             "東京",     "Москва 🎉"};
const QStringList plainNames{u"Tokyo"_s, u"Settings"_s, u"Default"_s, u"My Setup"_s, u"Zürich"_s};

const QList<std::pair<const char*, QString>> awkwardValues{
    {"empty", u""_s},
    {"blanks around", u"  4  "_s},
    {"line breaks", u"one\ntwo\r\nthree\n"_s},
    {"ini syntax", u"[Settings]\nTop=1; no comment # here"_s},
    {"quotes, comma, backslash", u"\"C:\\x\", y\\"_s},
    {"at sign", u"@Variant(AAAAAQ==)"_s},
    {"other scripts", u"/home/zoë/東京 🎉.wav"_s},
    {"one megabyte", QString(1 << 20, u'x')},
};

const char* const dumpOption = "--dump-settings";

// The second process's half of a round trip (QSettings caches the file within a process):
// everything in the file, read through the program's own read().
int dumpSettings(const QString& fileName) {
    QSettings raw(fileName, QSettings::IniFormat);
    const IniSettingsStore store(fileName);
    QJsonObject sections;
    const QStringList groups = raw.childGroups();
    for (const QString& group : groups) {
        const QString section = IniSettingsStore::sectionForGroup(group);
        raw.beginGroup(group);
        QJsonObject values;
        for (const QString& key : raw.childKeys())
            values.insert(key, store.read(section, key));
        raw.endGroup();
        sections.insert(section, values);
    }
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 2;
    out.write(QJsonDocument(QJsonObject{{u"status"_s, int(raw.status())},
                                        {u"groups"_s, QJsonArray::fromStringList(groups)},
                                        {u"sections"_s, sections}})
                  .toJson(QJsonDocument::Compact));
    return 0;
}

QJsonObject dumpInAnotherProcess(const QString& fileName) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QString::fromLatin1(dumpOption), fileName});
    if (!child.waitForFinished(30000) || child.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(child.readAllStandardOutput()).object();
}

} // namespace

class TestSettingsStores final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void keptExactlyAndApart_data();
    void keptExactlyAndApart();
    void deletingRemovesOneWholeSection_data();
    void deletingRemovesOneWholeSection();
    void aFileThatCannotBeWrittenIsReported();
    void theUsersFileIsUnderXdgConfigHome();

private:
    QTemporaryDir m_dir;
    QString m_fileName = m_dir.filePath(u"Meridex.ini"_s);
    MemorySettingsStore m_memory;
    QJsonObject m_dump;
};

// Everything goes into one file, so that names QSettings would fold together meet there.
void TestSettingsStores::initTestCase() {
    IniSettingsStore file(m_fileName);
    for (SettingsStore* store : std::initializer_list<SettingsStore*>{&file, &m_memory}) {
        for (const QString& name : typedNames) {
            store->write(name, u"Sound"_s, name);
            store->write(name, u"When"_s, u" 1"_s);
        }
        for (const auto& [label, value] : awkwardValues)
            store->write(u"Values"_s, QString::fromLatin1(label), value);
    }
    m_dump = dumpInAnotherProcess(m_fileName);
    QCOMPARE(m_dump.value(u"status"_s).toInt(-1), int(QSettings::NoError));
}

void TestSettingsStores::keptExactlyAndApart_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    for (const QString& name : typedNames)
        QTest::addRow("name \"%s\"", qPrintable(name)) << name << u"Sound"_s << name;
    for (const auto& [label, value] : awkwardValues)
        QTest::addRow("value: %s", label) << u"Values"_s << QString::fromLatin1(label) << value;
}

// As another process reads the file, as a fresh store of this one reads it, and in memory.
void TestSettingsStores::keptExactlyAndApart() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QJsonObject inFile = m_dump.value(u"sections"_s).toObject().value(section).toObject();
    QCOMPARE(inFile.value(key).toString(), value);
    if (section != u"Values"_s) { // a setup's own section, with nothing folded in
        QCOMPARE(inFile, (QJsonObject{{u"Sound"_s, section}, {u"When"_s, u" 1"_s}}));
        if (plainNames.contains(section))
            QVERIFY(m_dump.value(u"groups"_s).toArray().contains(section));
    }
    const IniSettingsStore fresh(m_fileName);
    QVERIFY(fresh.hasSection(section));
    QCOMPARE(fresh.read(section, key), value);
    QVERIFY(m_memory.hasSection(section));
    QCOMPARE(m_memory.read(section, key), value);
}

void TestSettingsStores::deletingRemovesOneWholeSection_data() {
    QTest::addColumn<bool>("inFile");
    QTest::newRow("memory") << false;
    QTest::newRow("file") << true;
}

void TestSettingsStores::deletingRemovesOneWholeSection() {
    QFETCH(bool, inFile);
    const QTemporaryDir dir;
    const QString fileName = dir.filePath(u"Meridex.ini"_s);
    IniSettingsStore file(fileName);
    MemorySettingsStore memory;
    SettingsStore& store = inFile ? static_cast<SettingsStore&>(file) : memory;
    store.write(u"Tokyo"_s, u"OtherIndex"_s, u"2"_s);
    store.write(u"Tokyo"_s, u"When"_s, u"1"_s);
    store.write(u"tokyo"_s, u"When"_s, u"3"_s);

    store.deleteSection(u"Tokyo"_s);

    QVERIFY(!store.hasSection(u"Tokyo"_s));
    QCOMPARE(store.read(u"Tokyo"_s, u"OtherIndex"_s), u"");
    QVERIFY(!store.read(u"Tokyo"_s, u"OtherIndex"_s).isNull());
    QCOMPARE(store.read(u"tokyo"_s, u"When"_s), u"3");
    for (const QString& missing : {u"Tokyo"_s, u""_s, u"General"_s, u"TOKYO"_s})
        QVERIFY_THROWS_EXCEPTION(RuntimeError, store.deleteSection(missing));
    if (inFile) {
        const QJsonObject left{{u"tokyo"_s, QJsonObject{{u"When"_s, u"3"_s}}}};
        QCOMPARE(dumpInAnotherProcess(fileName).value(u"sections"_s).toObject(), left);
    }
}

void TestSettingsStores::aFileThatCannotBeWrittenIsReported() {
    // A regular file where the folder should be: no permission bits to ignore, even for root.
    QFile blocker(m_dir.filePath(u"not-a-folder"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    const QString impossible = blocker.fileName() + u"/Meridex.ini"_s;
    try {
        IniSettingsStore(impossible).write(u"Settings"_s, u"Top"_s, u"1"_s);
        QFAIL("The write succeeded");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.description(), u"Cannot write the settings file "_s + impossible);
    }
}

void TestSettingsStores::theUsersFileIsUnderXdgConfigHome() {
    const QString expected =
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(u"Meridex/Meridex.ini"_s);
    QFile::remove(expected);
    QCOMPARE(IniSettingsStore().fileName(), expected);
    IniSettingsStore().write(u"Settings"_s, u"currSetup"_s, u"Default"_s);
    QCOMPARE(IniSettingsStore(expected).read(u"Settings"_s, u"currSetup"_s), u"Default");
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], dumpOption) == 0)
        return dumpSettings(QString::fromLocal8Bit(argv[2]));
    // Never touch the developer's own settings when the test is run by hand.
    const QTemporaryDir configHome;
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    TestSettingsStores test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settingsstores.moc"

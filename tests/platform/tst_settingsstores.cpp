#include "IniSettingsStore.h"
#include "MemorySettingsStore.h"
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

// Setup names a user can type, among them every text QSettings would nest, drop or fold.
const QList<std::pair<const char*, QString>> typedNames{
    {"plain", u"Tokyo"_s},
    {"main settings", u"Settings"_s},
    {"ad-hoc", u"Default"_s},
    {"blank inside", u"My Setup"_s},
    {"lower case", u"tokyo"_s},
    {"empty", u""_s},
    {"one blank", u" "_s},
    {"blanks around", u"  Paris  "_s},
    {"slash", u"Europe/Paris"_s},
    {"slashes around", u"/Paris/"_s},
    {"double slash", u"a//b"_s},
    {"backslashes", u"C:\\Temp\\"_s},
    {"ini syntax", u"[x] = y ; z # w"_s},
    {"percent", u"100%"_s},
    {"lone percent", u"%"_s},
    {"escape lookalike", u"%2F"_s},
    {"General", u"General"_s},
    {"general", u"general"_s},
    {"GENERAL", u"GENERAL"_s},
    {"gEnErAl", u"gEnErAl"_s},
    {"%General", u"%General"_s},
    {"escaped general", u"%47eneral"_s},
    {"quotes, comma", u"\"a\", b"_s},
    {"at sign", u"@Variant(x)"_s},
    {"accented", u"Zürich"_s},
    {"other scripts", u"東京 Москва 🎉"_s},
};
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
    void namesAreKeptExactlyAndApart_data();
    void namesAreKeptExactlyAndApart();
    void valuesAreKeptExactly_data();
    void valuesAreKeptExactly();
    void deletingRemovesOneWholeSection_data();
    void deletingRemovesOneWholeSection();
    void aFileThatCannotBeWrittenIsReported();
    void theUsersFileIsUnderXdgConfigHome();
    void memoryStoreCanFailLikeAFullDisk();

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
        for (const auto& [label, name] : typedNames) {
            store->write(name, u"Sound"_s, name);
            store->write(name, u"When"_s, u" 1"_s);
        }
        for (const auto& [label, value] : awkwardValues)
            store->write(u"Values"_s, QString::fromLatin1(label), value);
    }
    m_dump = dumpInAnotherProcess(m_fileName);
    QCOMPARE(m_dump.value(u"status"_s).toInt(-1), int(QSettings::NoError));
}

void TestSettingsStores::namesAreKeptExactlyAndApart_data() {
    QTest::addColumn<QString>("name");
    for (const auto& [label, name] : typedNames)
        QTest::newRow(label) << name;
}

void TestSettingsStores::namesAreKeptExactlyAndApart() {
    QFETCH(QString, name);
    const QJsonObject expected{{u"Sound"_s, name}, {u"When"_s, u" 1"_s}};
    QCOMPARE(m_dump.value(u"sections"_s).toObject().value(name).toObject(), expected);
    if (plainNames.contains(name))
        QVERIFY(m_dump.value(u"groups"_s).toArray().contains(name));

    const IniSettingsStore fresh(m_fileName);
    QVERIFY(fresh.hasSection(name));
    QCOMPARE(fresh.read(name, u"Sound"_s), name);
    QVERIFY(m_memory.hasSection(name));
    QCOMPARE(m_memory.read(name, u"Sound"_s), name);
}

void TestSettingsStores::valuesAreKeptExactly_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    for (const auto& [label, value] : awkwardValues)
        QTest::newRow(label) << QString::fromLatin1(label) << value;
}

void TestSettingsStores::valuesAreKeptExactly() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QJsonObject values = m_dump.value(u"sections"_s).toObject().value(u"Values"_s).toObject();
    QCOMPARE(values.value(key).toString(), value);
    QCOMPARE(IniSettingsStore(m_fileName).read(u"Values"_s, key), value);
    QCOMPARE(m_memory.read(u"Values"_s, key), value);
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

void TestSettingsStores::memoryStoreCanFailLikeAFullDisk() {
    MemorySettingsStore memory({{u"Tokyo"_s, {{u"When"_s, u"1"_s}}}});
    const MemorySettingsStore::Contents before = memory.contents();
    memory.failWrites(u"Disk full"_s);
    QVERIFY_THROWS_EXCEPTION(RuntimeError, memory.write(u"Tokyo"_s, u"When"_s, u"2"_s));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, memory.deleteSection(u"Tokyo"_s));
    QCOMPARE(memory.contents(), before);

    memory.failWrites({});
    memory.write(u"Tokyo"_s, u"When"_s, u"2"_s);
    QCOMPARE(memory.contents().value(u"Tokyo"_s).value(u"When"_s), u"2");
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

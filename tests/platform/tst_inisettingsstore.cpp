#include "IniSettingsStore.h"
#include "RuntimeError.h"
#include "SettingsStoreContract.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const char* const dumpOption = "--dump-settings";

// The child process's half of the round trip: everything in the file as a fresh process reads
// it, through the same read() the program uses.
int dumpSettings(const QString& fileName) {
    QSettings raw(fileName, QSettings::IniFormat);
    const IniSettingsStore store(fileName);
    QJsonObject sections;
    const QStringList groups = raw.childGroups();
    for (const QString& group : groups) {
        raw.beginGroup(group);
        QJsonObject values;
        const QString section = IniSettingsStore::sectionForGroup(group);
        for (const QString& key : raw.childKeys())
            values.insert(key, store.read(section, key));
        raw.endGroup();
        sections.insert(section, values);
    }
    const QJsonObject dump{{u"status"_s, int(raw.status())},
                           {u"groups"_s, QJsonArray::fromStringList(groups)},
                           {u"sections"_s, sections}};
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly))
        return 2;
    out.write(QJsonDocument(dump).toJson(QJsonDocument::Compact));
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

class TestIniSettingsStore final : public SettingsStoreContract {
    Q_OBJECT

protected:
    void startEmpty() override {
        QFile::remove(fileName());
        m_store.emplace(fileName());
    }
    SettingsStore& store() override { return *m_store; }
    const SettingsStore& reopened() override { return m_reopened.emplace(fileName()); }

private slots:
    void anotherProcessReadsBackEveryNameAndValue();
    void plainNamesStayPlainInTheFile_data();
    void plainNamesStayPlainInTheFile();
    void theUsersFileIsUnderXdgConfigHome();
    void aFileThatCannotBeWrittenFails();
    void aReadOnlyFileFails();

private:
    QString fileName() const { return m_dir.filePath(u"Meridex.ini"_s); }

    QTemporaryDir m_dir;
    std::optional<IniSettingsStore> m_store;
    std::optional<IniSettingsStore> m_reopened;
};

void TestIniSettingsStore::anotherProcessReadsBackEveryNameAndValue() {
    QJsonObject expected;
    for (const auto& [label, name] : typedSectionNames()) {
        store().write(name, u"Sound"_s, name);
        store().write(name, u"When"_s, u" 1"_s);
        expected.insert(name, QJsonObject{{u"Sound"_s, name}, {u"When"_s, u" 1"_s}});
    }
    const QString awkward = u"line one\nline=two; [three] # four\n  5, \"six\" \\ 🎉"_s;
    const QString large = QString(1 << 20, u'z');
    store().write(u"Settings"_s, u"MRU1"_s, awkward);
    store().write(u"Settings"_s, u"MonthView.Left"_s, large);
    expected.insert(u"Settings"_s, QJsonObject{{u"Sound"_s, u"Settings"_s},
                                               {u"When"_s, u" 1"_s},
                                               {u"MRU1"_s, awkward},
                                               {u"MonthView.Left"_s, large}});

    const QJsonObject dump = dumpInAnotherProcess(fileName());
    QCOMPARE(dump.value(u"status"_s).toInt(-1), int(QSettings::NoError));
    const QJsonObject sections = dump.value(u"sections"_s).toObject();
    for (auto section = expected.begin(); section != expected.end(); ++section)
        QVERIFY2(sections.value(section.key()) == section.value(), qPrintable(section.key()));
    QCOMPARE(sections.keys(), expected.keys());
}

void TestIniSettingsStore::plainNamesStayPlainInTheFile_data() {
    QTest::addColumn<QString>("name");
    for (const QString& name : {u"Tokyo"_s, u"Settings"_s, u"Default"_s, u"My Setup"_s,
                                u"New York (EST)"_s, u"Zürich"_s, u"Generals"_s})
        QTest::newRow(qPrintable(name)) << name;
}

// Another tool reading the file with QSettings sees the setup under the name the user typed.
void TestIniSettingsStore::plainNamesStayPlainInTheFile() {
    QFETCH(QString, name);
    store().write(name, u"When"_s, u"1"_s);
    QCOMPARE(IniSettingsStore::groupForSection(name), name);
    QCOMPARE(dumpInAnotherProcess(fileName()).value(u"groups"_s).toArray(), QJsonArray{name});
}

void TestIniSettingsStore::theUsersFileIsUnderXdgConfigHome() {
    const QString expected =
        QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(u"Meridex/Meridex.ini"_s);
    QFile::remove(expected);
    IniSettingsStore users;
    QCOMPARE(users.fileName(), expected);
    users.write(u"Settings"_s, u"currSetup"_s, u"Default"_s);
    QCOMPARE(IniSettingsStore(expected).read(u"Settings"_s, u"currSetup"_s), u"Default");
    QVERIFY(QFile::exists(expected));
}

void TestIniSettingsStore::aFileThatCannotBeWrittenFails() {
    // A regular file where the folder should be stops everyone, root included.
    QFile blocker(m_dir.filePath(u"not-a-folder"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString impossible = blocker.fileName() + u"/Meridex.ini"_s;

    IniSettingsStore broken(impossible);
    try {
        broken.write(u"Settings"_s, u"Top"_s, u"1"_s);
        QFAIL("The write succeeded");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.description(), u"Cannot write the settings file "_s + impossible);
    }
}

void TestIniSettingsStore::aReadOnlyFileFails() {
    QTemporaryDir folder;
    const QString name = folder.filePath(u"Meridex.ini"_s);
    IniSettingsStore locked(name);
    locked.write(u"Tokyo"_s, u"When"_s, u"1"_s);
    QFile::setPermissions(name, QFile::ReadOwner);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    const auto restore = qScopeGuard([&] {
        QFile::setPermissions(folder.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    if (QFileInfo(name).isWritable())
        QSKIP("Permissions do not bind this user (root)");

    QVERIFY_THROWS_EXCEPTION(RuntimeError, locked.write(u"Tokyo"_s, u"When"_s, u"2"_s));
    QVERIFY_THROWS_EXCEPTION(RuntimeError, locked.deleteSection(u"Tokyo"_s));
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], dumpOption) == 0)
        return dumpSettings(QString::fromLocal8Bit(argv[2]));
    // Never touch the developer's own settings when the test is run by hand.
    QTemporaryDir configHome;
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    TestIniSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_inisettingsstore.moc"

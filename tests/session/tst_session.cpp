// SPDX-License-Identifier: GPL-3.0-or-later
// The clock in the session. The autostart entry says exactly the person's paths, in lines that
// desktop-file-validate accepts, or is refused. One clock per display (the later starts are
// end-to-end tests): the lock lives only in a folder of the person's own, and a display has one
// name however it is spelt. A bus is used only where one is there to be used.

#include "Autostart.h"
#include "SessionBus.h"
#include "SingleInstance.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// A key's value as a reader gets it: the file's escapes undone, then Exec's quoting.
static QString readBack(const QString& text, const QString& key) {
    const QStringList lines = text.split(u'\n').filter(QRegularExpression(u"^%1="_s.arg(key)));
    QString value = lines.value(0).mid(key.size() + 1);
    static const QRegularExpression escape(uR"(\\(.))"_s), inQuotes(uR"(\\(.)|%(%))"_s);
    value.replace(escape, u"\x01\\1"_s).replace(u"\x01n"_s, u"\n"_s).replace(u"\x01t"_s, u"\t"_s);
    value.replace(u"\x01r"_s, u"\r"_s).remove(u'\x01');
    if (key == u"Exec"_s && value.startsWith(u'"'))
        value = value.mid(1, value.size() - 2).replace(inQuotes, u"\\1\\2"_s);
    return lines.size() == 1 ? value : u"%1 lines"_s.arg(lines.size());
}

class TestSession : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); // the runtime folder alone
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void autostartEntry_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder"); // the map's: the working folder
        QTest::addColumn<bool>("refused");
        QTest::newRow("plain") << u"/usr/bin/meridex"_s << u"/usr/share/meridex"_s << false;
        QTest::newRow("a line injected")
            << u"/bin/meridex"_s << u"/p/m\nExec=touch pwned\n"_s << false;
        QTest::newRow("tab and return") << u"/opt/a\tb/meridex"_s << u"/p/x\ry"_s << false;
        QTest::newRow("backslashes") << u"/opt/a\\nb\\/meridex"_s << u"/p/\\\\srv\\"_s << false;
        QTest::newRow("shell's characters")
            << u"/o/\"$HOME\" `id` 100%/m"_s << u"/p/$x %f"_s << false;
        QTest::newRow("placeholder") << u"/opt/@MERIDEX_MAP_DIR@/meridex"_s << u"/maps"_s << false;
        QTest::newRow("not UTF-8") << u"/opt/caf\uFFFD/meridex"_s << u"/maps"_s << true;
        QTest::newRow("other control") << u"/usr/bin/meridex"_s << u"/p/\u0001"_s << true;
    }
    void autostartEntry() {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(bool, refused);
        const autostart::Entry entry = autostart::fillLauncher(
            u"[Desktop Entry]\nType=Application\nName=M\nExec=meridex\nPath=@MERIDEX_MAP_DIR@\n"_s,
            program, folder);
        QCOMPARE(entry.error.isEmpty(), !refused);
        QVERIFY(!refused || entry.text.isEmpty());
        if (refused)
            return;
        QCOMPARE(readBack(entry.text, u"Exec"_s), program);
        QCOMPARE(readBack(entry.text, u"Path"_s), folder);
        QFile file(m_dir.filePath(u"meridex.desktop"_s));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(entry.text.toUtf8()) > 0);
        file.close();
        QProcess validate;
        validate.start(u"desktop-file-validate"_s, {file.fileName()});
        QVERIFY(validate.waitForFinished() && validate.exitCode() == 0);
        QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
    }

    void oneNamePerDisplay() {
        const std::pair<const char*, const char*> names[]{
            {":1", ":1"},  {"unix:1", ":1"}, {":01", ":1"},        {":1.0", ":1"},
            {":00", ":0"}, {":10", ":10"},   {"box:1.0", "box:1"}, {"wayland-1", "wayland-1"}};
        for (const auto& [display, key] : names)
            QCOMPARE(SingleInstance::displayKey(QString::fromLatin1(display)),
                     QString::fromLatin1(key));
    }

    // Where nobody else can put the lock and its pipe, or take them away. Without such a folder
    // (none set, and the fallback cannot be made), the clock runs unlocked, leaving nothing in /.
    void lockOnlyInAFolderOfOurOwn_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("usable");
        QVERIFY(QDir(m_dir.path()).mkpath(u"open"_s) && QDir(m_dir.path()).mkpath(u"other"_s));
        QFile(m_dir.filePath(u"file"_s)).open(QIODevice::WriteOnly);
        ::chmod(QFile::encodeName(m_dir.filePath(u"open"_s)).constData(), 0777);
        ::chmod(QFile::encodeName(m_dir.path()).constData(), 0700);
        QTest::newRow("none") << QString() << false;
        QTest::newRow("own") << m_dir.path() << true;
        QTest::newRow("a file") << m_dir.filePath(u"file"_s) << false;
        QTest::newRow("open to all") << m_dir.filePath(u"open"_s) << false;
        if (::chown(QFile::encodeName(m_dir.filePath(u"other"_s)).constData(), 65534, 65534) == 0)
            QTest::newRow("another's") << m_dir.filePath(u"other"_s) << false;
    }
    void lockOnlyInAFolderOfOurOwn() {
        QFETCH(QString, folder);
        QTEST(SingleInstance::runtimeFolderProblem(folder).isEmpty(), "usable");
        if (!folder.isEmpty())
            return;
        const auto root = [] {
            return QDir(u"/"_s).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        };
        const QStringList before = root();
        qputenv("TMPDIR", QFile::encodeName(m_dir.filePath(u"file"_s)));
        QVERIFY(SingleInstance().claim());
        qunsetenv("TMPDIR");
        QCOMPARE(root(), before);
    }

    void busOnlyWhereThereIsOne_data() {
        QTest::addColumn<bool>("addressSet");
        QTest::addColumn<QString>("runtime");
        QTest::addColumn<bool>("autolaunch");
        QVERIFY(QDir(m_dir.path()).mkpath(u"bus"_s) && QDir(m_dir.path()).mkpath(u"s"_s));
        ::mknod(QFile::encodeName(m_dir.filePath(u"s/bus"_s)).constData(), S_IFSOCK | 0600, 0);
        QTest::newRow("address given") << true << QString() << false;
        QTest::newRow("a systemd user bus") << false << m_dir.filePath(u"s"_s) << false;
        QTest::newRow("no bus socket") << false << m_dir.path() << true; // "bus" is a folder
        QTest::newRow("no runtime folder") << false << QString() << true;
    }
    void busOnlyWhereThereIsOne() {
        QFETCH(bool, addressSet);
        QFETCH(QString, runtime);
        QTEST(sessionbus::wouldAutolaunch(addressSet, runtime), "autolaunch");
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestSession)
#include "tst_session.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// One clock per display: a later start brings the clock forward, or says that it is not
// answering; the lock is kept only in a runtime folder of the person's own; a display has one
// name however it is spelt.

#include "SingleInstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"); // the runtime folder alone
        QVERIFY(QFile::setPermissions(m_dir.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    }

    void oneNamePerDisplay_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("key");
        for (const char* spelling : {":1", "unix:1", ":01", ":1.0", "unix:001.2"})
            QTest::newRow(spelling) << QString::fromLatin1(spelling) << u":1"_s;
        QTest::newRow(":00") << u":00"_s << u":0"_s;
        QTest::newRow(":10") << u":10"_s << u":10"_s;
        QTest::newRow("another host") << u"box:1.0"_s << u"box:1"_s;
        QTest::newRow("Wayland") << u"wayland-1"_s << u"wayland-1"_s;
    }
    void oneNamePerDisplay() {
        QFETCH(QString, display);
        QFETCH(QString, key);
        QCOMPARE(SingleInstance::displayKey(display), key);
    }

    // Only where nobody else can put the lock and its pipe, or take them away. Without such a
    // folder (the runtime folder's fallback cannot be made), the clock runs unlocked and leaves
    // nothing behind in the file system's root.
    void lockOnlyInAFolderOfOurOwn_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("usable");
        QFile(m_dir.filePath(u"file"_s)).open(QIODevice::WriteOnly);
        for (const QString& name : {u"open"_s, u"other"_s})
            QDir(m_dir.path()).mkdir(name);
        ::chmod(QFile::encodeName(m_dir.filePath(u"open"_s)).constData(), 0777);
        QTest::newRow("none") << QString() << false;
        QTest::newRow("own") << m_dir.path() << true;
        QTest::newRow("a file") << m_dir.filePath(u"file"_s) << false;
        QTest::newRow("open to all") << m_dir.filePath(u"open"_s) << false;
        if (::chown(QFile::encodeName(m_dir.filePath(u"other"_s)).constData(), 65534, 65534) == 0)
            QTest::newRow("another's") << m_dir.filePath(u"other"_s) << false;
    }
    void lockOnlyInAFolderOfOurOwn() {
        QFETCH(QString, folder);
        QFETCH(bool, usable);
        QCOMPARE(SingleInstance::runtimeFolderProblem(folder).isEmpty(), usable);
        if (!folder.isEmpty())
            return;
        const QStringList root =
            QDir(u"/"_s).entryList(QDir::AllEntries | QDir::Hidden | QDir::System);
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(m_dir.filePath(u"file"_s)));
        QVERIFY(SingleInstance().claim());
        qunsetenv("TMPDIR");
        QCOMPARE(QDir(u"/"_s).entryList(QDir::AllEntries | QDir::Hidden | QDir::System), root);
    }

    // A later start while the clock runs, and while it is frozen (it never reads its requests).
    void laterStart_data() {
        QTest::addColumn<bool>("frozen");
        QTest::newRow("the clock answers") << false;
        QTest::newRow("the clock is frozen") << true;
    }
    void laterStart() {
        QFETCH(bool, frozen);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
        SingleInstance first, later;
        QVERIFY(first.claim());
        QSignalSpy forward(&first, &SingleInstance::activationRequested);
        bool claimed = true;
        QElapsedTimer took;
        took.start();
        std::thread start([&] { claimed = later.claim(); });
        if (frozen)
            start.join();
        QTRY_VERIFY(forward.size() > 0 || frozen);
        if (!frozen)
            start.join();
        QVERIFY(!claimed);
        QCOMPARE(later.problem(),
                 frozen ? u"Meridex is already running on this display, but it is not answering."_s
                        : QString());
        QVERIFY2(took.elapsed() < 5000, qPrintable(QString::number(took.elapsed())));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"

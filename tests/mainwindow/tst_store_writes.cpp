// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store never holds the window up: while its lock cannot be taken, a change made on
// the main window is written through (no close needed) but kept in memory and reads back, the
// clock ticks and rings, one message tells of it, and it reaches the file once the lock is free.
// (Two clocks on one file: e2e test_two_clocks, and the store's othersChangesKept.)
#include "Fixture.h"
#include "IniSettingsStore.h"

#include <QDir>
#include <QLockFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestStoreWrites : public QObject {
    Q_OBJECT

private slots:
    void lockNotFree_data() {
        QTest::addColumn<int>("lock");
        QTest::newRow("a folder") << 0;
        QTest::newRow("a dangling symbolic link") << 1;
        QTest::newRow("held by a live process") << 2;
    }
    void lockNotFree() {
        QFETCH(int, lock);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"Meridex.ini"_s), path = file + u".lock"_s;
        QFile ini(file);
        QVERIFY(ini.open(QIODevice::WriteOnly) &&
                ini.write("[Settings]\nLocalIndex=11\nnbSetup=1\nSetup0=T\n"
                          "[T]\nAlarmTimeGMT=14:01:00\nWhen=1\n") > 0);
        ini.close();
        QLockFile held(path); // held by this test's own process, which is alive
        QVERIFY(lock == 0   ? QDir().mkdir(path)
                : lock == 1 ? QFile::link(dir.filePath(u"gone"_s), path)
                            : held.tryLock(0));
        IniSettingsStore store(file);
        Desk d({}, u"14:00:50"_s, &store);
        d.load();
        QVERIFY(d.show());
        d.choose("mnLocal24hrs");
        const auto stored = [&] {
            return IniSettingsStore(file).read(u"Settings"_s, u"chk24hLocal"_s);
        };
        // Written through without a close, but not waited for: it reads back, not yet stored.
        QTRY_COMPARE_WITH_TIMEOUT(store.read(u"Settings"_s, u"chk24hLocal"_s), u"1"_s, 10'000);
        QCOMPARE(stored(), u""_s);
        d.tickAt(QTime(14, 1, 0));
        QCOMPARE(d.label("Label1"), u"14:01:00"_s);
        QCOMPARE(d.sound.played().size(), 1);
        if (lock != 2) // nobody frees a folder or a link: said at the first retry, not after 10 s
            QTRY_COMPARE_WITH_TIMEOUT(d.messages.texts().size(), 1, 8'000);
        QVERIFY(d.window->close()); // says so unless said already, and does not wait for good
        QCOMPARE(d.messages.texts().size(), 1);
        QVERIFY(d.messages.texts()[0].startsWith(u"Cannot write the settings file "_s + file));
        held.unlock(), QDir().rmdir(path), QFile::remove(path);
        QTRY_COMPARE_WITH_TIMEOUT(stored(), u"1"_s, 10'000);
        QCOMPARE(d.messages.texts().size(), 1);
    }
};

QTEST_MAIN(TestStoreWrites)
#include "tst_store_writes.moc"

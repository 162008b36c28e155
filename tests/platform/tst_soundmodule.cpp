// The program's player loads Qt Multimedia's player from its module on first use only.

#include "SoundModulePlayer.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

class TestSoundModule : public QObject {
    Q_OBJECT

private slots:
    void stoppingNeedsNoModule() {
        SoundModulePlayer player({QStringLiteral(MERIDEX_BUILD_DIR)});
        QCOMPARE(player.play({}), QString());
        QVERIFY(!player.loaded());
    }

    void aMissingModuleIsReportedEachTime() {
        QTemporaryDir empty;
        SoundModulePlayer player({empty.path()});
        const QString expected = QStringLiteral("The sound module meridex-sound.so was not found");
        QCOMPARE(player.play(QStringLiteral("/nowhere/chime.wav")), expected);
        QCOMPARE(player.play(QStringLiteral("/nowhere/chime.wav")), expected);
        QVERIFY(!player.loaded());
    }

    void aDamagedModuleIsReportedAndTheNextFolderTried() {
        QTemporaryDir broken;
        QFile fake(broken.filePath(QStringLiteral("meridex-sound.so")));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("not a shared object");
        fake.close();

        SoundModulePlayer alone({broken.path()});
        QVERIFY(alone.play(QStringLiteral("/nowhere/chime.wav"))
                    .startsWith(QStringLiteral("The sound module cannot be loaded: ")));

        SoundModulePlayer player({broken.path(), QStringLiteral(MERIDEX_BUILD_DIR)});
        // The module's player answers: it reports the file itself, not the module.
        QElapsedTimer timer;
        timer.start();
        const QString error = player.play(QStringLiteral("/nowhere/chime.wav"));
        const qint64 firstUseMs = timer.elapsed();
        QVERIFY(player.loaded());
        QVERIFY2(!error.isEmpty() && !error.contains(QStringLiteral("module")), qPrintable(error));
        qInfo("loading the sound module took %lld ms", firstUseMs);
    }
};

QTEST_GUILESS_MAIN(TestSoundModule)
#include "tst_soundmodule.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
// The sound player: files are mixed and resampled to their tone, hostile ones refused or cut short,
// the samples reach a real sound server, and an alarm whose sound fails rings the built-in tone.

#include "BuiltInTone.h"
#include "Fixture.h"
#include "QtSoundPlayer.h"
#include "SoundFile.h"
#include "frmSetup.h"

#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <ctime>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The frequency in the first channel of 16-bit samples at 48 kHz, over the samples that are not
// near silence.
double frequency(const QByteArray& pcm, int channels = 1) {
    const auto* s = reinterpret_cast<const qint16*>(pcm.constData());
    qsizetype loud = 0, flips = 0;
    for (qsizetype i = 0, up = 0; i < pcm.size() / 2; i += channels) {
        loud += qAbs(s[i]) > 300;
        if (up ? s[i] < -300 : s[i] > 300)
            up = !up, ++flips;
    }
    return loud ? flips * 24000.0 / double(loud) : 0;
}

} // namespace

class TestSoundPlayer : public QObject {
    Q_OBJECT

private slots:
    void decodes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<double>("seconds"); // of 440 Hz, the rest silence
        QTest::addColumn<QString>("error");  // followed by the path
        const auto row = [](const char* name, const QString& path, double s, QString error = {}) {
            QTest::newRow(name) << path << s << error;
        };
        // Resampled up and down, mixed from 2 to 8 channels; the decoding itself is the library's.
        const QString encodings =
            u"16-bit 11.025 kHz:-r 11025 -b 16|16-bit 44.1 kHz:-b 16|16-bit 96 kHz:-r 96000 -b 16|"
            "u-law 8 kHz:-r 8000 -e u-law|stereo 24-bit 48 kHz:-r 48000 -b 24 -c 2|"
            "extensible, 6 channels:-b 16 -c 6|8 channels:-b 16 -c 8"_s;
        for (const QString& encoding : encodings.split(u'|'))
            row(qPrintable(encoding.section(u':', 0, 0)), write(sox(encoding.section(u':', 1))), 1);
        const QByteArray mono = sox(u"-r 48000 -b 16"_s);
        row("10 Hz mono", write(sox(u"-r 10"_s)), 0, u"Unsupported WAV format: "_s);
        row("stereo 16-bit + 2 bytes",
            write(sox(u"-r 48000 -b 16 -c 2"_s, u"30"_s) + "\1\2", 30 * 192000 + 2), 30);
        row("header that lies", write(mono, 0xFFFFFFF0), 1);
        row("header only", write(mono.left(44)), 0, u"Truncated WAV file: "_s);
        // The rest a hole: the first 50 MB of 1 GB, the first 10 minutes of 14.
        row("1 GB", write(mono, (1 << 30) - 44, 1 << 30), 546.1);
        row("14 minutes", write(sox(u"-r 48000 -b 8"_s), 40'000'000, 40'000'044), 600);
        row("missing", m_dir.filePath(u"missing.wav"_s), 0, u"File not found: "_s);
        row("not a WAV", write("This is not a sound.\n"), 0, u"Not a WAV file: "_s);
        QVERIFY(::mkfifo(QFile::encodeName(m_dir.filePath(u"fifo"_s)).constData(), 0600) == 0);
        row("named pipe", m_dir.filePath(u"fifo"_s), 0, u"Not a file: "_s);
        row("/dev/urandom", u"/dev/urandom"_s, 0, u"Not a file: "_s);
    }
    void decodes() {
        QFETCH(QString, path);
        QFETCH(double, seconds);
        QFETCH(QString, error);
        SoundFile file;
        QCOMPARE(file.open(path), error.isEmpty() ? error : error + path);
        if (!error.isEmpty()) // the player refuses what it cannot play, and says why
            QCOMPARE(QtSoundPlayer().play(path), error + path);
        // Nothing after a refusal; otherwise the length within 0.05 s, then 440 Hz within 10 Hz.
        const Pcm pcm = file.decode(48000);
        QCOMPARE(qRound(pcm.samples.size() / (9600.0 * pcm.channels)), qRound(seconds * 10));
        const double hz = frequency(pcm.samples.left(pcm.channels * 96000), pcm.channels);
        QCOMPARE(qRound(hz / 20), seconds > 0 ? 22 : 0);
    }

    // Through a sound server that starts after the first start: a compressed file named .wav,
    // 2 s of 440 Hz and 148 s of silence at 192 kHz (58 MB of samples), played as it is decoded,
    // so that memory holds what is about to sound; then the built-in tone, which replaces it.
    void playsThroughALateSoundServer() {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
        qputenv("HOME", QFile::encodeName(m_dir.path()));
        qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(write("autospawn = no\n")));
        const QString flac = m_dir.filePath(u"long.wav"_s);
        QStringList words =
            u"sox -n -r 192000 -b 16 -t flac %1 synth 2 sine 440 vol .5 pad 0 148"_s.arg(flac)
                .split(u' ');
        QProcess::execute(words.takeFirst(), words);
        QtSoundPlayer player;
        QCOMPARE(player.play(flac), u"No audio output device"_s);
        QProcess daemon, recorder;
        daemon.start(u"pulseaudio"_s,
                     u"-n --daemonize=no --exit-idle-time=-1 --log-level=error "
                     "--load=module-null-sink --load=module-native-protocol-unix"_s.split(u' '));
        const qint64 before = residentBytes();
        QTRY_COMPARE_WITH_TIMEOUT(player.play(flac), QString(), 10000);
        recorder.start(
            u"parec"_s,
            u"-d null.monitor --raw --format=s16le --rate=48000 --channels=1"_s.split(u' '));
        QByteArray heard;
        const auto record = [&] { return (heard += recorder.readAllStandardOutput()).size(); };
        QTRY_VERIFY_WITH_TIMEOUT(record() > 48000 && qAbs(frequency(heard) - 440) < 20, 10000);
        QCOMPARE_LT(residentBytes() - before, 16 << 20);
        heard.clear();
        QCOMPARE(player.play(BuiltInAlarmTone), QString());
        // The first half second may still hold the file's last samples.
        QTRY_VERIFY_WITH_TIMEOUT(record() > 144000 && qAbs(frequency(heard.mid(48000)) - 880) < 40,
                                 10000);
        for (QProcess* process : {&recorder, &daemon})
            process->kill(), process->waitForFinished();
    }

    // Even the headers of a file can be slow to read (millions of empty chunks to skip): the
    // window's thread leaves them to another. Measured in the thread's own processor time,
    // which the short wait for the verdict does not use and a busy machine does not stretch.
    void opensNoFileOnTheCallersThread() {
        QByteArray wav =
            sox(u"-r 48000 -b 16"_s) + QByteArray("JUNK\0\0\0\0", 8).repeated(4'000'000);
        qToLittleEndian(quint32(wav.size() - 8), wav.data() + 4);
        const QString path = write(wav);
        const qint64 opening = threadNs([&] { QCOMPARE(SoundFile().open(path), QString()); });
        QtSoundPlayer player;
        QCOMPARE_LT(threadNs([&] { player.play(path); }) * 4, opening);
    }

    void anAlarmWhoseSoundFailsRingsTheTone_data() {
        QTest::addColumn<QString>("sound");  // as stored
        QTest::addColumn<QString>("answer"); // the player's, to the alarm's own sound
        QTest::addColumn<bool>("tryIt");
        QTest::addColumn<QStringList>("played");
        const QString sound = u"/s/chime.wav"_s, missing = u"File not found: /s/chime.wav"_s;
        const std::tuple<const char*, QString, QString, bool, QStringList> rows[]{
            {"sound plays", sound, {}, false, {sound}},
            {"sound fails", sound, missing, false, {sound, BuiltInAlarmTone}},
            {"Try it fails", sound, missing, true, {sound}},
            {"no sound file", {}, {}, false, {BuiltInAlarmTone}},
            {"Try it, no sound file", {}, {}, true, {BuiltInAlarmTone}}};
        for (const auto& [name, stored, answer, tryIt, played] : rows)
            QTest::newRow(name) << stored << answer << tryIt << played;
    }
    void anAlarmWhoseSoundFailsRingsTheTone() {
        QFETCH(QString, sound);
        QFETCH(QString, answer);
        QFETCH(bool, tryIt);
        // clang-format off
        Desk d({{"Settings", {{"LocalIndex", "11"}, {"currSetup", "Tokyo"}, {"nbSetup", "1"},
                              {"Setup0", "Tokyo"}}},
                {"Tokyo", {{"AlarmTimeGMT", "14:01:00"}, {"When", "1"}, {"Sound", sound}}}},
               u"14:00:59"_s);
        // clang-format on
        d.sound.setResult(answer);
        d.load();
        QVERIFY(d.show());
        d.tickAt(QTime(14, 0, 59));
        if (tryIt) {
            frmSetup editor(d.services, *d.window);
            editor.show();
            QTest::mouseClick(editor.findChild<QPushButton*>(u"cmdTryIt"_s), Qt::LeftButton);
            QCOMPARE(d.messages.texts(),
                     answer.isEmpty() ? QStringList() : QStringList{answer + u" in PlaySound()"_s});
            // The box names what rings when it is empty.
            QVERIFY(editor.findChild<QLineEdit*>(u"txtAlarmSound"_s)
                        ->placeholderText()
                        .contains(u"built-in tone"_s));
        } else {
            d.tickAt(QTime(14, 1));
            QVERIFY(d.window->alarmWindow() &&
                    d.window->alarmWindow()->text() == u"Tokyo \u2014 02:01 PM"_s);
        }
        QTEST(d.sound.played(), "played");
    }

private:
    // 440 Hz from `sox -n <args>`, at 44.1 kHz unless told; nothing when sox failed.
    QByteArray sox(const QString& args, const QString& secs = u"1"_s) {
        QFile file(m_dir.filePath(u"%1.wav"_s.arg(++m_files)));
        const QString words =
            u"-n -r 44100 %1 %2 synth %3 sine 440 vol .5"_s.arg(args, file.fileName(), secs);
        QProcess::execute(u"sox"_s, words.split(u' '));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The processor time this thread spends in `work`.
    static qint64 threadNs(const std::function<void()>& work) {
        timespec t[2]{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t[0]);
        work();
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t[1]);
        return qint64(t[1].tv_sec - t[0].tv_sec) * 1'000'000'000 + t[1].tv_nsec - t[0].tv_nsec;
    }
    static qint64 residentBytes() {
        QFile status(u"/proc/self/statm"_s);
        return status.open(QIODevice::ReadOnly)
                   ? status.readAll().split(' ').value(1).toLongLong() * ::sysconf(_SC_PAGESIZE)
                   : 0;
    }
    // `bytes` in a new file; with a data size for the header (sox's is 44 bytes), and a size
    // for the file when it is to end in a hole.
    QString write(QByteArray bytes, qint64 dataSize = -1, qint64 size = 0) {
        if (dataSize >= 0)
            qToLittleEndian(quint32(dataSize), bytes.data() + 40);
        QFile file(m_dir.filePath(QString::number(++m_files)));
        if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
            file.resize(qMax(size, qint64(bytes.size())));
        return file.fileName();
    }

    QTemporaryDir m_dir;
    int m_files = 0;
};

QTEST_MAIN(TestSoundPlayer)
#include "tst_soundplayer.moc"

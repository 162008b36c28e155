// Sounds and pictures that cannot be used, with the real sound player: an alarm's sound and the
// setup editor's "Try it" meeting each bad sound, and the map viewer each bad picture. The window
// must never block (its event loop is watched after each case), the notice or the message must
// appear, and nothing may crash.
//
// No sound server is reachable (PULSE_SERVER names a socket nobody listens on), so the results do
// not depend on the machine; the last case puts a server there that accepts and never answers.

#include "Clock.h"
#include "Doubles.h"
#include "QtSoundPlayer.h"
#include "Services.h"
#include "ToneWav.h"
#include "frmMain.h"
#include "frmPic.h"
#include "frmSetup.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLocalServer>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <optional>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kAlarmMinute(QDate(2026, 12, 7), QTime(14, 1, 0)); // a Monday

template <typename F> qint64 msTaken(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    return t.elapsed();
}

// Turns the event loop for `ms`: "" unless a call on the window's thread that took `callMs`, or
// a gap between two turns of a 10 ms timer, would be felt as a frozen window.
QString heldUp(qint64 callMs, int ms, qint64 callLimitMs = 250) {
    QElapsedTimer all, sinceTurn;
    all.start();
    sinceTurn.start();
    qint64 gap = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { gap = std::max(gap, sinceTurn.restart()); });
    timer.start(10);
    (void)QTest::qWaitFor([&] { return all.elapsed() >= ms; }, ms + 5000); // the wait is the point
    gap = std::max(gap, sinceTurn.elapsed());
    qInfo("%lld ms, event loop gap at most %lld ms", callMs, gap);
    if (callMs >= callLimitMs)
        return u"the call took %1 ms"_s.arg(callMs);
    return gap < 400 ? QString() : u"the event loop stalled for %1 ms"_s.arg(gap);
}

QByteArray imageBytes(QSize size, const char* format = "jpeg") {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xd4, 0xe6, 0xf5));
    // Some detail, so that the data after the headers is more than a few bytes.
    QPainter(&image).drawEllipse(QRect(QPoint(0, 0), size).adjusted(4, 4, -4, -4));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, format).write(image))
        qFatal("cannot write a %s picture", format);
    return bytes;
}

// A small JPEG whose frame header claims another size: the decoder believes the header.
QByteArray jpegClaiming(int width, int height) {
    QByteArray bytes = imageBytes(QSize(16, 16));
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    if (frame < 0)
        qFatal("no baseline frame header");
    qToBigEndian(quint16(height), bytes.data() + frame + 5);
    qToBigEndian(quint16(width), bytes.data() + frame + 7);
    return bytes;
}

// The setup "Tokyo" ringing at 14:01 every day with `sound`.
MemorySettingsStore::Contents tokyoRinging(const QString& sound) {
    return {{u"Settings"_s,
             {{u"LocalIndex"_s, u"11"_s},
              {u"currSetup"_s, u"Tokyo"_s},
              {u"nbSetup"_s, u"1"_s},
              {u"Setup0"_s, u"Tokyo"_s}}},
            {u"Tokyo"_s,
             {{u"OtherIndex"_s, u"2"_s},
              {u"AlarmTimeGMT"_s, u"14:01:00"_s},
              {u"When"_s, u"1"_s},
              {u"Sound"_s, sound}}}};
}

// The services of the windows under test: the real sound player, fakes for the rest.
struct Desk {
    Desk(MemorySettingsStore::Contents contents, SoundPlayer& sound)
        : store(std::move(contents)), services{clock, store, messages, stacking, sound} {}
    // The main window loaded, shown and ticked a second before the alarm minute; its own timer
    // is stopped, so the test drives every tick.
    bool load() {
        window = std::make_unique<frmMain>(services);
        window->findChild<QTimer*>(u"Timer1"_s)->stop();
        const bool loaded = window->Form_Load();
        window->show();
        window->Timer1_Timer();
        return loaded;
    }
    qint64 msToTickAt(const QDateTime& t) {
        clock.set(t);
        return msTaken([this] { window->Timer1_Timer(); });
    }
    QString notice() const {
        return window->alarmWindow() && window->alarmWindow()->isVisible()
                   ? window->alarmWindow()->text()
                   : QString();
    }

    FakeClock clock{kAlarmMinute.addSecs(-1)};
    MemorySettingsStore store;
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    Services services;
    std::unique_ptr<frmMain> window;
};

} // namespace

class TestMediaFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void unusableSound_data();
    void unusableSound();
    void mapThatCannotBeShown_data();
    void mapThatCannotBeShown();
    void hungSoundServer();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    std::unique_ptr<QtSoundPlayer> m_player;
};

void TestMediaFaults::initTestCase() {
    QVERIFY(m_dir.isValid());
    QVERIFY(QDir(m_dir.path()).mkpath(u"runtime"_s));
    // No sound server, and none that a client could start.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(file(u"runtime"_s)));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(file(u"runtime/nobody"_s)));
    qputenv("PULSE_CLIENTCONFIG",
            QFile::encodeName(tone::writeFile(file(u"client.conf"_s), "autospawn = no\n")));
    tone::writeFile(file(u"tone.wav"_s), tone::wav(880, 0.3));
    m_player = std::make_unique<QtSoundPlayer>();
}

void TestMediaFaults::unusableSound_data() {
    QTest::addColumn<bool>("tryIt"); // the setup editor's "Try it" rather than the alarm
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("answer"); // how PlaySound's answer starts
    QList<tone::Unplayable> sounds = tone::unplayable(m_dir.path());
    // 200 MB of silence behind a valid header, under the player's limit.
    const QString silence = file(u"silence.wav"_s);
    tone::writeFile(silence, tone::pcmHeader(qint64(200) << 20), qint64(200) << 20);
    sounds << tone::Unplayable{"valid, 200 MB of silence", silence, u"No audio output device"_s}
           << tone::Unplayable{"valid tone", file(u"tone.wav"_s), u"No audio output device"_s};
    for (const bool tryIt : {false, true}) {
        for (const tone::Unplayable& sound : sounds)
            QTest::addRow("%s: %s", tryIt ? "Try it" : "alarm", sound.kind)
                << tryIt << sound.path << sound.answer;
    }
}

// The alarm rings: the notice shows the setup's name at once, whatever the sound, and the
// sound's failure is not reported (the alarm test drops PlaySound's answer). "Try it" in the
// setup editor says why the sound cannot be played, and returns at once.
void TestMediaFaults::unusableSound() {
    QFETCH(bool, tryIt);
    QFETCH(QString, path);
    QFETCH(QString, answer);
    Desk desk(tokyoRinging(path), *m_player);
    QVERIFY(desk.load());
    std::optional<frmSetup> editor;
    qint64 ms = 0;
    if (tryIt) {
        editor.emplace(desk.services, *desk.window);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*editor));
        QCOMPARE(editor->soundPath(), path);
        auto* const button = editor->findChild<QPushButton*>(u"cmdTryIt"_s);
        ms = msTaken([&] { QTest::mouseClick(button, Qt::LeftButton); });
    } else {
        ms = desk.msToTickAt(kAlarmMinute);
        QCOMPARE(desk.notice(), u"Tokyo"_s);
    }
    const QString held = heldUp(ms, 300);
    QVERIFY2(held.isEmpty(), qPrintable(held));
    const QStringList shown = desk.messages.texts();
    if (!tryIt)
        QCOMPARE(shown, QStringList());
    else
        QVERIFY2(shown.size() == 1 && shown[0].startsWith(answer) &&
                     shown[0].endsWith(u" in PlaySound()"_s),
                 qPrintable(shown.join(u" | "_s).left(200)));
}

void TestMediaFaults::mapThatCannotBeShown_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("loads");
    const auto map = [this](const QString& name, const QByteArray& bytes) {
        return tone::writeFile(file(name), bytes);
    };
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.jpg"_s));
    QTest::newRow("missing") << file(u"missing.jpg"_s) << false;
    QTest::newRow("empty") << map(u"empty.jpg"_s, {}) << false;
    // Cut early, the header is gone; cut late, libjpeg fills the rest with grey and it shows.
    const QByteArray jpeg = imageBytes(QSize(800, 400));
    for (int percent : {1, 10, 50, 90, 99})
        QTest::addRow("cut at %d %%", percent)
            << map(u"cut%1.jpg"_s.arg(percent), jpeg.left(jpeg.size() * percent / 100))
            << (percent >= 10);
    QTest::newRow("text") << map(u"text.jpg"_s, "This is not a picture.\n") << false;
    QTest::newRow("a WAV file") << map(u"sound.jpg"_s, tone::wav(880, 0.3)) << false;
    QTest::newRow("a PNG named .jpg")
        << map(u"png.jpg"_s, imageBytes(QSize(600, 300), "png")) << true;
    QTest::newRow("claims 65535 x 65535")
        << map(u"65535.jpg"_s, jpegClaiming(65535, 65535)) << false;
    // Wider than a 16-bit scroll range: an overflow, reported by the viewer.
    QTest::newRow("claims 40000 x 10") << map(u"40000x10.jpg"_s, jpegClaiming(40000, 10)) << false;
    // Beyond Qt's image allocation limit: refused from the header alone.
    QTest::newRow("claims 8000 x 8000") << map(u"8000.jpg"_s, jpegClaiming(8000, 8000)) << false;
    // Within it: decoded in full (grey where the data ran out).
    QTest::newRow("claims 5000 x 5000") << map(u"5000.jpg"_s, jpegClaiming(5000, 5000)) << true;
    QTest::newRow("folder") << file(u"folder.jpg"_s) << false;
    QVERIFY(::mkfifo(QFile::encodeName(file(u"fifo.jpg"_s)).constData(), 0600) == 0);
    QTest::newRow("named pipe") << file(u"fifo.jpg"_s) << false;
    QTest::newRow("device") << u"/dev/zero"_s << false;
}

// The viewer loads the picture on the window's thread, so the time it takes is the time the
// window is held up; a picture that cannot be shown gives the viewer without it and a message.
void TestMediaFaults::mapThatCannotBeShown() {
    QFETCH(QString, path);
    QFETCH(bool, loads);
    // Opening a named pipe waits for a writer: one comes after 4 s, so that the test ends
    // whatever happens, and a viewer that waited for it shows in the time it took.
    std::jthread writer;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode))
        writer = std::jthread([fifo = QFile::encodeName(path)](const std::stop_token& stop) {
            for (int ms = 0; ms < 4000 && !stop.stop_requested(); ms += 10)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
                ::close(fd); // fails at once when nobody is reading any more
        });
    ScriptedMessageBoxes messages;
    std::unique_ptr<frmPic> viewer;
    const qint64 loadMs =
        msTaken([&] { viewer = std::make_unique<frmPic>(messages, nullptr, path); });
    const QStringList texts = messages.texts();
    QCOMPARE(viewer->loaded(), loads);
    if (loads) {
        QCOMPARE(texts, QStringList());
    } else {
        QVERIFY(viewer->isVisible()); // shown at once, not modal
        // The load's own message comes last; showing the window first runs Form_Resize, which
        // meets the same overflow when the picture was already in.
        QVERIFY(!texts.isEmpty());
        QVERIFY2(texts.last().endsWith(u" in frmPic.Form_Load()"_s), qPrintable(texts.last()));
        for (const QString& t : texts.mid(0, texts.size() - 1))
            QVERIFY2(t.endsWith(u" in Form_Resize()"_s), qPrintable(t));
    }
    // Decoding up to Qt's allocation limit takes a while; slower would be felt as a frozen clock.
    const QString held = heldUp(loadMs, 100, loads ? 3000 : 1000);
    QVERIFY2(held.isEmpty(), qPrintable(held));
}

// A sound server that accepts and never answers: the alarm still rings at once, also the next
// minute's while the first start still waits, and the event loop keeps turning. Last, because
// the player's sound thread stays waiting on that server for the rest of the process.
void TestMediaFaults::hungSoundServer() {
    QLocalServer silent; // accepts connections and never says a word
    QVERIFY(silent.listen(file(u"runtime/silent"_s)));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(silent.fullServerName()));
    MemorySettingsStore::Contents contents = tokyoRinging(file(u"tone.wav"_s));
    contents[u"Settings"_s].insert({{u"nbSetup"_s, u"2"_s}, {u"Setup1"_s, u"Paris"_s}});
    contents[u"Paris"_s] = contents[u"Tokyo"_s];
    contents[u"Paris"_s][u"AlarmTimeGMT"_s] = u"14:02:00"_s;
    Desk desk(contents, *m_player);
    QVERIFY(desk.load());
    const qint64 first = desk.msToTickAt(kAlarmMinute);
    QCOMPARE(desk.notice(), u"Tokyo"_s);
    QString held = heldUp(first, 300);
    QVERIFY2(held.isEmpty(), qPrintable(held));
    const qint64 second = desk.msToTickAt(kAlarmMinute.addSecs(60));
    QCOMPARE(desk.notice(), u"Paris"_s);
    held = heldUp(second, 500);
    QVERIFY2(held.isEmpty(), qPrintable(held));
}

QTEST_MAIN(TestMediaFaults)
#include "tst_media_faults.moc"

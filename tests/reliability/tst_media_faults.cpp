// Sounds and pictures that cannot be used: the alarm's sound missing, empty, cut short, not a
// WAV, huge (a sparse file), a folder, a named pipe or a device, through the main window's alarm
// with the real sound player and through the setup editor's "Try it"; and the map missing,
// empty, cut short, claiming huge dimensions, not a JPEG, a folder or a named pipe. The window
// must never block (its event loop is watched while each case runs), the notice or the message
// must appear, and nothing may crash.
//
// No sound server is reachable here (PULSE_SERVER names a socket nobody listens on), so the
// results do not depend on the machine; the last case puts a server there that accepts and
// never answers. Bounded: a fixed list of cases, each watched for at most a few seconds.

#include "Clock.h"
#include "MemorySettingsStore.h"
#include "NullWindowStacking.h"
#include "QtSoundPlayer.h"
#include "ScriptedMessageBoxes.h"
#include "Services.h"
#include "ToneWav.h"
#include "frmMain.h"
#include "frmPic.h"
#include "frmSetup.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kAlarmMinute(QDate(2026, 12, 7), QTime(14, 1, 0)); // a Monday

// Watches the event loop from now on: the longest time between two turns of a 10 ms timer.
class LoopWatch {
public:
    LoopWatch() {
        m_since.start();
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart()); });
        m_timer.start();
    }
    // Lets the loop run for `ms` more, then gives the longest gap seen since construction.
    qint64 longestGapAfter(int ms) {
        QElapsedTimer t;
        t.start();
        // Always true in the end: the wait is the point, not its result.
        (void)QTest::qWaitFor([&] { return t.elapsed() >= ms; }, ms + 5000);
        m_longest = std::max(m_longest, m_since.elapsed());
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray jpegBytes(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xd4, 0xe6, 0xf5));
    QPainter(&image).drawEllipse(QRect(QPoint(0, 0), size).adjusted(4, 4, -4, -4));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(image))
        qFatal("cannot write a JPEG");
    return bytes;
}

// A small JPEG whose frame header claims another size: the decoder believes the header.
QByteArray jpegClaiming(QSize claimed) {
    QByteArray bytes = jpegBytes(QSize(16, 16));
    const qsizetype frame = bytes.indexOf("\xFF\xC0");
    if (frame < 0)
        qFatal("no baseline frame header");
    bytes[frame + 5] = char(claimed.height() >> 8);
    bytes[frame + 6] = char(claimed.height() & 0xFF);
    bytes[frame + 7] = char(claimed.width() >> 8);
    bytes[frame + 8] = char(claimed.width() & 0xFF);
    return bytes;
}

QByteArray pngBytes(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "png");
    return bytes;
}

// A UNIX socket that accepts connections and never says a word: a hung sound server.
class SilentServer {
public:
    explicit SilentServer(const QString& path) {
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(),
                    std::min(size_t(name.size()), sizeof address.sun_path - 1));
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(m_fd, 16) != 0)
            qFatal("cannot listen on %s", name.constData());
    }
    ~SilentServer() { ::close(m_fd); }

private:
    int m_fd = -1;
};

struct SoundCase {
    const char* name;
    QString path;
    QString expected; // the start of what PlaySound answers ("" for success)
};

} // namespace

class TestMediaFaults : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void alarmWithAnUnusableSound_data();
    void alarmWithAnUnusableSound();
    void tryItWithAnUnusableSound_data();
    void tryItWithAnUnusableSound();
    void mapThatCannotBeShown_data();
    void mapThatCannotBeShown();
    void viewMapWithABrokenMapFromTheMainWindow();
    void mapThatIsANamedPipe();
    void hungSoundServer();

private:
    QString file(const QString& name) const { return m_dir.filePath(name); }
    void soundCases();

    QTemporaryDir m_dir;
    QString m_initialDir;
    std::unique_ptr<QtSoundPlayer> m_player;
    QStringList m_figures;
};

void TestMediaFaults::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_initialDir = QDir::currentPath();
    QVERIFY(QDir(m_dir.path()).mkpath(u"runtime"_s));
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.wav"_s));
    QVERIFY(QDir(m_dir.path()).mkpath(u"folder.jpg"_s));
    // No sound server, and none that a client could start.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(file(u"runtime"_s)));
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(file(u"runtime/nobody"_s)));
    writeBytes(file(u"client.conf"_s), "autospawn = no\n");
    qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(file(u"client.conf"_s)));

    const QByteArray tone = tone::wav(880, 0.3);
    writeBytes(file(u"tone.wav"_s), tone);
    writeBytes(file(u"empty.wav"_s), {});
    writeBytes(file(u"truncated.wav"_s), tone.left(tone.size() / 2));
    writeBytes(file(u"header-only.wav"_s), tone.left(44));
    writeBytes(file(u"text.wav"_s), "This is not a sound.\n");
    writeBytes(file(u"picture.wav"_s), jpegBytes(QSize(32, 32)));
    // 10 GB taking no disk space, and 200 MB behind a valid header (under the player's limit).
    writeBytes(file(u"huge.wav"_s), "RIFF");
    QVERIFY(QFile(file(u"huge.wav"_s)).resize(qint64(10) << 30));
    QByteArray header = tone::riff(tone::fmtChunk(1, 1, 16)) + "data";
    tone::appendLe32(header, quint32((qint64(200) << 20) - header.size() - 4));
    writeBytes(file(u"big-silence.wav"_s), header);
    QVERIFY(QFile(file(u"big-silence.wav"_s)).resize(qint64(200) << 20));
    QVERIFY(::mkfifo(QFile::encodeName(file(u"fifo.wav"_s)).constData(), 0600) == 0);

    const QByteArray jpeg = jpegBytes(QSize(800, 400));
    writeBytes(file(u"empty.jpg"_s), {});
    for (int percent : {1, 10, 50, 90, 99})
        writeBytes(file(u"cut%1.jpg"_s.arg(percent)), jpeg.left(jpeg.size() * percent / 100));
    writeBytes(file(u"text.jpg"_s), "This is not a picture.\n");
    writeBytes(file(u"sound.jpg"_s), tone);
    writeBytes(file(u"png.jpg"_s), pngBytes(QSize(600, 300)));
    writeBytes(file(u"claims-65535.jpg"_s), jpegClaiming(QSize(65535, 65535)));
    writeBytes(file(u"claims-40000x10.jpg"_s), jpegClaiming(QSize(40000, 10)));
    writeBytes(file(u"claims-8000.jpg"_s), jpegClaiming(QSize(8000, 8000)));
    writeBytes(file(u"claims-5000.jpg"_s), jpegClaiming(QSize(5000, 5000)));

    m_player = std::make_unique<QtSoundPlayer>();
}

void TestMediaFaults::cleanupTestCase() {
    QDir::setCurrent(m_initialDir);
    for (const QString& line : std::as_const(m_figures))
        qInfo("%s", qPrintable(line));
}

void TestMediaFaults::soundCases() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    const QString longPath = u"/"_s + QString(1 << 20, u'x') + u".wav"_s;
    const QList<SoundCase> cases{
        {"missing", file(u"missing.wav"_s), u"File not found: "_s},
        {"missing folder", u"/nonexistent/folder/alarm.wav"_s, u"File not found: "_s},
        {"empty", file(u"empty.wav"_s), u"Not a WAV file: "_s},
        {"truncated", file(u"truncated.wav"_s), u"Truncated WAV file: "_s},
        {"header only", file(u"header-only.wav"_s), u"Truncated WAV file: "_s},
        {"text", file(u"text.wav"_s), u"Not a WAV file: "_s},
        {"a JPEG", file(u"picture.wav"_s), u"Not a WAV file: "_s},
        {"huge (10 GB, sparse)", file(u"huge.wav"_s), u"File too large: "_s},
        {"folder", file(u"folder.wav"_s), u"Not a file: "_s},
        {"named pipe", file(u"fifo.wav"_s), u"Not a file: "_s},
        {"device", u"/dev/zero"_s, u"Not a file: "_s},
        {"path of 1 MB", longPath, u"Cannot read file: "_s},
        {"valid, 200 MB of silence", file(u"big-silence.wav"_s), u"No audio output device"_s},
        {"valid tone", file(u"tone.wav"_s), u"No audio output device"_s},
    };
    for (const SoundCase& c : cases)
        QTest::newRow(c.name) << c.path << c.expected;
}

void TestMediaFaults::alarmWithAnUnusableSound_data() {
    soundCases();
}

// The alarm rings: the notice shows the setup's name at once, whatever the sound; the sound's
// failure is not reported (the alarm test drops PlaySound's answer).
void TestMediaFaults::alarmWithAnUnusableSound() {
    QFETCH(QString, path);
    FakeClock clock(kAlarmMinute.addSecs(-1));
    MemorySettingsStore store({
        {u"Settings"_s,
         {{u"LocalIndex"_s, u"11"_s},
          {u"currSetup"_s, u"Tokyo"_s},
          {u"nbSetup"_s, u"1"_s},
          {u"Setup0"_s, u"Tokyo"_s}}},
        {u"Tokyo"_s,
         {{u"OtherIndex"_s, u"2"_s},
          {u"AlarmTimeGMT"_s, u"14:01:00"_s},
          {u"When"_s, u"1"_s},
          {u"Sound"_s, path}}},
    });
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    Services services{clock, store, messages, stacking, *m_player};
    frmMain w(services);
    w.findChild<QTimer*>(u"Timer1"_s)->stop();
    QVERIFY(w.Form_Load());
    w.show();
    w.Timer1_Timer();

    LoopWatch watch;
    QElapsedTimer tick;
    tick.start();
    clock.set(kAlarmMinute);
    w.Timer1_Timer();
    const qint64 tickMs = tick.elapsed();
    QVERIFY(w.alarmWindow());
    QCOMPARE(w.alarmWindow()->text(), u"Tokyo"_s);
    QVERIFY(w.alarmWindow()->isVisible());
    const qint64 gap = watch.longestGapAfter(300);
    QCOMPARE(messages.texts(), QStringList());
    m_figures << u"alarm with sound %1: tick %2 ms, event loop gap at most %3 ms"_s
                     .arg(QString::fromLatin1(QTest::currentDataTag()))
                     .arg(tickMs)
                     .arg(gap);
    QVERIFY2(tickMs < 250, qPrintable(u"the alarm tick took %1 ms"_s.arg(tickMs)));
    QVERIFY2(gap < 400, qPrintable(u"the event loop stalled for %1 ms"_s.arg(gap)));
    w.close();
}

void TestMediaFaults::tryItWithAnUnusableSound_data() {
    soundCases();
}

// "Try it" in the setup editor says why the sound cannot be played, and returns at once.
void TestMediaFaults::tryItWithAnUnusableSound() {
    QFETCH(QString, path);
    QFETCH(QString, expected);
    struct Host final : SetupHost {
        QString currSetup() const override { return current; }
        void setCurrSetup(const QString& name) override { current = name; }
        int otherIndex() const override { return 2; }
        int otherDST() const override { return 0; }
        int otherHalf() const override { return 0; }
        QString current = u"Tokyo"_s;
    } host;
    FakeClock clock(kAlarmMinute);
    MemorySettingsStore store({
        {u"Settings"_s,
         {{u"currSetup"_s, u"Tokyo"_s}, {u"nbSetup"_s, u"1"_s}, {u"Setup0"_s, u"Tokyo"_s}}},
        {u"Tokyo"_s,
         {{u"OtherIndex"_s, u"2"_s},
          {u"AlarmTimeGMT"_s, u"14:01:00"_s},
          {u"When"_s, u"1"_s},
          {u"Sound"_s, path}}},
    });
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    Services services{clock, store, messages, stacking, *m_player};
    frmSetup editor(services, host);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    QCOMPARE(editor.soundPath(), path);

    LoopWatch watch;
    QElapsedTimer click;
    click.start();
    QTest::mouseClick(editor.findChild<QPushButton*>(u"cmdTryIt"_s), Qt::LeftButton);
    const qint64 clickMs = click.elapsed();
    const qint64 gap = watch.longestGapAfter(200);
    m_figures << u"Try it with sound %1: click %2 ms, event loop gap at most %3 ms"_s
                     .arg(QString::fromLatin1(QTest::currentDataTag()))
                     .arg(clickMs)
                     .arg(gap);
    QCOMPARE(messages.texts().size(), 1);
    const QString shown = messages.texts().first();
    QVERIFY2(shown.startsWith(expected) && shown.endsWith(u" in PlaySound()"_s),
             qPrintable(shown.left(200)));
    QVERIFY2(clickMs < 250, qPrintable(u"Try it took %1 ms"_s.arg(clickMs)));
    QVERIFY2(gap < 400, qPrintable(u"the event loop stalled for %1 ms"_s.arg(gap)));
    editor.reject();
}

void TestMediaFaults::mapThatCannotBeShown_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("loads");
    QTest::newRow("missing") << file(u"missing.jpg"_s) << false;
    QTest::newRow("empty") << file(u"empty.jpg"_s) << false;
    for (int percent : {1, 10, 50, 90, 99}) {
        // Cut early, the header is gone; cut late, libjpeg fills the rest with grey and the
        // picture still shows.
        QTest::addRow("cut at %d %%", percent)
            << file(u"cut%1.jpg"_s.arg(percent)) << (percent >= 10);
    }
    QTest::newRow("text") << file(u"text.jpg"_s) << false;
    QTest::newRow("a WAV file") << file(u"sound.jpg"_s) << false;
    QTest::newRow("a PNG named .jpg") << file(u"png.jpg"_s) << true;
    QTest::newRow("claims 65535 x 65535") << file(u"claims-65535.jpg"_s) << false;
    // Wider than a 16-bit scroll range: an overflow, reported by the viewer.
    QTest::newRow("claims 40000 x 10") << file(u"claims-40000x10.jpg"_s) << false;
    // Beyond Qt's image allocation limit: refused from the header alone.
    QTest::newRow("claims 8000 x 8000") << file(u"claims-8000.jpg"_s) << false;
    // Within it: decoded in full (grey where the data ran out).
    QTest::newRow("claims 5000 x 5000") << file(u"claims-5000.jpg"_s) << true;
    QTest::newRow("folder") << file(u"folder.jpg"_s) << false;
    QTest::newRow("device") << u"/dev/zero"_s << false;
}

// Each opening loads the picture on the window's thread, so the time it takes is the time the
// window is held up; a picture that cannot be shown gives the viewer without it and a message.
void TestMediaFaults::mapThatCannotBeShown() {
    QFETCH(QString, path);
    QFETCH(bool, loads);
    ScriptedMessageBoxes messages;
    QElapsedTimer timer;
    timer.start();
    auto viewer = std::make_unique<frmPic>(messages, nullptr, path);
    const qint64 loadMs = timer.elapsed();
    m_figures << u"map %1: opened in %2 ms, %3"_s.arg(QString::fromLatin1(QTest::currentDataTag()))
                     .arg(loadMs)
                     .arg(viewer->loaded()
                              ? u"shown"_s
                              : u"message \"%1\""_s.arg(messages.texts().join(u"\", \""_s)));
    if (loads) {
        QVERIFY(viewer->loaded());
        QCOMPARE(messages.texts(), QStringList());
    } else {
        QVERIFY(!viewer->loaded());
        QVERIFY(viewer->isVisible()); // shown at once, not modal
        // The load's own message comes last; showing the window first runs Form_Resize, which
        // meets the same overflow when the picture was already in.
        const QStringList texts = messages.texts();
        QVERIFY(!texts.isEmpty());
        QVERIFY2(texts.last().endsWith(u" in frmPic.Form_Load()"_s), qPrintable(texts.last()));
        for (const QString& t : texts.mid(0, texts.size() - 1))
            QVERIFY2(t.endsWith(u" in Form_Resize()"_s), qPrintable(t));
    }
    // A decoded picture up to Qt's allocation limit takes a while; anything slower than this
    // would be felt as a frozen clock.
    QVERIFY2(loadMs < 3000, qPrintable(u"loading took %1 ms"_s.arg(loadMs)));
    LoopWatch watch;
    QVERIFY2(watch.longestGapAfter(100) < 400, "the event loop stalled after loading");
}

// "View Map" from the main window with a broken TimeZoneMap.jpg in the working folder: the
// menu command returns at once, leaving the viewer open (not modal) beside the message.
void TestMediaFaults::viewMapWithABrokenMapFromTheMainWindow() {
    QTemporaryDir cwd;
    QVERIFY(cwd.isValid());
    writeBytes(cwd.filePath(u"TimeZoneMap.jpg"_s), "GIF89a broken");
    QVERIFY(QDir::setCurrent(cwd.path()));
    FakeClock clock(kAlarmMinute);
    MemorySettingsStore store;
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    Services services{clock, store, messages, stacking, *m_player};
    frmMain w(services);
    QVERIFY(w.Form_Load());
    w.show();
    QElapsedTimer timer;
    timer.start();
    w.mnViewMap_Click();
    const qint64 ms = timer.elapsed();
    QDir::setCurrent(m_initialDir);
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY(messages.texts().first().endsWith(u" in frmPic.Form_Load()"_s));
    auto* viewer = w.findChild<frmPic*>();
    QVERIFY(viewer && viewer->isVisible() && !viewer->isModal());
    QVERIFY2(ms < 1000, qPrintable(u"View Map took %1 ms"_s.arg(ms)));
    viewer->close();
    w.close();
}

// A named pipe in the map's place: opening it for reading waits for a writer. A helper thread
// plays that writer after 2 s and closes at once, so the test ends whatever happens; the time
// the viewer took to open tells whether the window was held up meanwhile.
void TestMediaFaults::mapThatIsANamedPipe() {
    const QString fifo = file(u"fifo.jpg"_s);
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    std::atomic<bool> done = false;
    std::thread writer([&] {
        QElapsedTimer t;
        t.start();
        while (!done && t.elapsed() < 2000)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Non-blocking: fails at once when nobody is reading any more.
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    ScriptedMessageBoxes messages;
    QElapsedTimer timer;
    timer.start();
    {
        frmPic viewer(messages, nullptr, fifo);
        done = true;
        QVERIFY(!viewer.loaded());
    }
    const qint64 ms = timer.elapsed();
    done = true;
    writer.join();
    m_figures << u"map that is a named pipe: opened in %1 ms, message \"%2\""_s.arg(ms).arg(
        messages.texts().value(0));
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY2(ms < 1000, qPrintable(u"the viewer held the window for %1 ms"_s.arg(ms)));
}

// A sound server that accepts and never answers: the alarm still rings at once, "Try it"
// answers at once, and the event loop keeps turning. Last, because the player's sound thread
// stays waiting on that server for the rest of the process.
void TestMediaFaults::hungSoundServer() {
    const QString socket = file(u"runtime/silent"_s);
    SilentServer server(socket);
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket));

    FakeClock clock(kAlarmMinute.addSecs(-1));
    MemorySettingsStore store({
        {u"Settings"_s,
         {{u"LocalIndex"_s, u"11"_s},
          {u"nbSetup"_s, u"2"_s},
          {u"Setup0"_s, u"Tokyo"_s},
          {u"Setup1"_s, u"Paris"_s}}},
        {u"Tokyo"_s,
         {{u"AlarmTimeGMT"_s, u"14:01:00"_s},
          {u"When"_s, u"1"_s},
          {u"Sound"_s, file(u"tone.wav"_s)}}},
        {u"Paris"_s,
         {{u"AlarmTimeGMT"_s, u"14:02:00"_s},
          {u"When"_s, u"1"_s},
          {u"Sound"_s, file(u"tone.wav"_s)}}},
    });
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    Services services{clock, store, messages, stacking, *m_player};
    frmMain w(services);
    w.findChild<QTimer*>(u"Timer1"_s)->stop();
    QVERIFY(w.Form_Load());
    w.show();
    w.Timer1_Timer();

    LoopWatch watch;
    QElapsedTimer timer;
    timer.start();
    clock.set(kAlarmMinute);
    w.Timer1_Timer();
    const qint64 first = timer.restart();
    QVERIFY(w.alarmWindow() && w.alarmWindow()->text() == u"Tokyo"_s);
    watch.longestGapAfter(300);
    timer.restart();
    clock.set(kAlarmMinute.addSecs(60));
    w.Timer1_Timer(); // the next minute's alarm, while the first start still waits on the server
    const qint64 second = timer.elapsed();
    QCOMPARE(w.alarmWindow()->text(), u"Paris"_s);
    const qint64 gap = watch.longestGapAfter(500);
    m_figures << u"hung sound server: alarm ticks %1 ms and %2 ms, event loop gap at most %3 ms"_s
                     .arg(first)
                     .arg(second)
                     .arg(gap);
    QVERIFY2(first < 250 && second < 250, "an alarm tick waited on the sound server");
    QVERIFY2(gap < 400, qPrintable(u"the event loop stalled for %1 ms"_s.arg(gap)));
    w.close();
}

QTEST_MAIN(TestMediaFaults)
#include "tst_media_faults.moc"

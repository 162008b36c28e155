// Hostile stored values, in process: every key of the store layout holding empty text, blanks,
// non-numeric text, negative numbers, numbers beyond 16 bits, a megabyte of text, binary bytes
// and QSettings' own special forms; and the whole file replaced by garbage or cut short at
// random points. Each time the main window starts over the real INI store, ticks through an
// alarm minute, has the setup editor opened and closed, and shuts down: it must show a usable
// window, report only what a stored value can make it report, and leave a clean file behind.
//
// Bounded: a fixed number of cases (about 1 300 starts), each with a deadline on the editor.

#include "Clock.h"
#include "HostileStore.h"
#include "IniCheck.h"
#include "IniSettingsStore.h"
#include "NullSoundPlayer.h"
#include "NullWindowStacking.h"
#include "ScratchDir.h"
#include "ScriptedMessageBoxes.h"
#include "Services.h"
#include "frmMain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 0, 58)); // a Monday

// What a start over a prepared file gave.
struct Outcome {
    bool loaded = false;
    QStringList loadMessages;  // shown during Form_Load
    QStringList laterMessages; // ticks, setup editor, shut-down
    QString notice;            // the alarm notice's text after the alarm minute
    bool usable = false;
    QString whyUnusable;
    bool editorOpened = false;
    QString fileAfter; // what is wrong with the file after shut-down ("" when clean)
};

// Usable: shown, of a size a screen can hold, with both clocks showing a time.
QString unusableBecause(const frmMain& w) {
    if (!w.isVisible())
        return u"not visible"_s;
    if (w.width() < 20 || w.height() < 10 || w.width() > 4000 || w.height() > 4000)
        return u"size %1x%2"_s.arg(w.width()).arg(w.height());
    static const QRegularExpression time(u"^\\d\\d:\\d\\d:\\d\\d( [AP]M)?$"_s);
    for (const char* name : {"Label1", "Label2"}) {
        const auto* label = w.findChild<QLabel*>(QLatin1String(name));
        if (!label || !time.match(label->text()).hasMatch())
            return u"%1 shows \"%2\""_s.arg(QLatin1String(name), label ? label->text() : QString());
    }
    return {};
}

// Opens the setup editor from the menu, as the user would, and closes it as soon as it is up.
// Returns whether it was seen open.
bool openAndCloseSetupEditor(frmMain& w) {
    bool seen = false;
    QElapsedTimer deadline;
    deadline.start();
    QTimer closer;
    closer.setInterval(2);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* editor = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (editor && editor->objectName() == u"frmSetup"_s) {
            seen = true;
            editor->reject();
        } else if (editor && deadline.elapsed() > 10'000) {
            editor->reject(); // some other modal window: never stay stuck in it
        }
    });
    closer.start();
    w.mnSetup_Click();
    return seen;
}

Outcome startClock(const QString& file, bool withEditor) {
    Outcome out;
    FakeClock clock(kStart);
    IniSettingsStore store(file);
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    NullSoundPlayer sound;
    Services services{clock, store, messages, stacking, sound};
    {
        frmMain w(services);
        w.findChild<QTimer*>(u"Timer1"_s)->stop(); // the test drives every tick
        out.loaded = w.Form_Load();
        out.loadMessages = messages.texts();
        messages.clear();
        w.show();
        for (int s : {59, 60, 61}) {
            clock.set(kStart.addSecs(s - 58));
            w.Timer1_Timer();
        }
        if (w.alarmWindow())
            out.notice = w.alarmWindow()->text();
        out.whyUnusable = unusableBecause(w);
        out.usable = out.whyUnusable.isEmpty();
        if (withEditor)
            out.editorOpened = openAndCloseSetupEditor(w);
        w.close(); // runs Form_Unload
        out.laterMessages = messages.texts();
    }
    QFile f(file);
    if (QFileInfo(file).isFile() && f.open(QIODevice::ReadOnly))
        out.fileAfter = strictIniProblem(f.readAll());
    return out;
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Every message the program can show from its start, ticks, editor and shut-down when only
// stored data is wrong: the description of the failure followed by the procedure's name.
const QRegularExpression& allowedMessage() {
    static const QRegularExpression re(
        u"^(Overflow|Subscript out of range|Cannot write the settings file .*) in "
        "(Form_Load|ReadAlarms|RefreshSettings|Form_Unload|SaveSettings)\\(\\)$"
        // Shut-down asks before a named setup's stored zone is replaced by the one shown.
        "|^Do you want to save the change of Time Zone for .* \\?$"_s);
    return re;
}

// Qt's offscreen platform warns on every window shown that it cannot pass size hints or raise
// windows; a thousand starts would bury the test's own output (and QtTest stops printing after
// 2000 messages).
QtMessageHandler g_previousHandler = nullptr;
void quietOffscreenWarnings(QtMsgType type, const QMessageLogContext& context,
                            const QString& text) {
    if (type == QtWarningMsg && text.startsWith(u"This plugin does not support"_s))
        return;
    g_previousHandler(type, context, text);
}

struct Figures {
    int starts = 0;
    int keysTried = 0;
    int valuesTried = 0;
    int garbageFiles = 0;
    int truncatedFiles = 0;
    int mutatedFiles = 0;
    int messages = 0;
    QMap<QString, int> messageCounts;
};

} // namespace

class TestHostileValues : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void theBaselineRingsBothAlarms();
    void everyKeyHoldingHostileValues_data();
    void everyKeyHoldingHostileValues();
    void garbageFiles();
    void filesCutShortAtRandomPoints();
    void filesWithRandomBytesChanged();
    void theSettingsFileIsAFolder();
    void cleanupTestCase();

private:
    QString nextFile();
    void countMessages(const Outcome& o);

    QTemporaryDir m_dir{scratchPattern("meridex-hostile")};
    int m_files = 0;
    QRandomGenerator m_random;
    Figures m_figures;
};

void TestHostileValues::initTestCase() {
    g_previousHandler = qInstallMessageHandler(quietOffscreenWarnings);
    QVERIFY(m_dir.isValid());
    bool ok = false;
    const quint32 seed = quint32(qEnvironmentVariableIntValue("MERIDEX_RELIABILITY_SEED", &ok));
    const quint32 used = ok ? seed : quint32(QRandomGenerator::global()->generate() >> 1);
    m_random.seed(used);
    qInfo("random seed %u (MERIDEX_RELIABILITY_SEED=%u repeats this run)", used, used);
}

void TestHostileValues::cleanupTestCase() {
    qInfo("%d starts: %d keys x %d values, %d garbage files, %d files cut short, %d files with "
          "bytes changed; %d messages shown, crashes 0",
          m_figures.starts, m_figures.keysTried, m_figures.valuesTried, m_figures.garbageFiles,
          m_figures.truncatedFiles, m_figures.mutatedFiles, m_figures.messages);
    for (auto it = m_figures.messageCounts.cbegin(); it != m_figures.messageCounts.cend(); ++it)
        qInfo("  %4d x \"%s\"", it.value(), qPrintable(it.key()));
}

// Each case gets a file of its own: QSettings caches a file's contents within the process and
// notices a change only by its size and time stamp.
QString TestHostileValues::nextFile() {
    return m_dir.filePath(u"Meridex-%1.ini"_s.arg(++m_files));
}

void TestHostileValues::countMessages(const Outcome& o) {
    ++m_figures.starts;
    for (const QString& m : o.loadMessages + o.laterMessages) {
        ++m_figures.messages;
        QString shown = m;
        shown.replace(QRegularExpression(u"file .*? in"_s), u"file <path> in"_s);
        ++m_figures.messageCounts[shown];
    }
}

void TestHostileValues::theBaselineRingsBothAlarms() {
    const QString file = nextFile();
    writeBytes(file, hostile::storeText());
    const Outcome o = startClock(file, true);
    countMessages(o);
    QVERIFY(o.loaded);
    QVERIFY2(o.usable, qPrintable(o.whyUnusable));
    QCOMPARE(o.loadMessages, QStringList());
    QCOMPARE(o.laterMessages, QStringList());
    QCOMPARE(o.notice, u"Tokyo\nParis"_s);
    QVERIFY(o.editorOpened);
    QCOMPARE(o.fileAfter, QString());
}

void TestHostileValues::everyKeyHoldingHostileValues_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("kind");
    const auto keys = hostile::layoutKeys();
    const auto values = hostile::hostileValues();
    m_figures.keysTried = int(keys.size());
    m_figures.valuesTried = int(values.size());
    for (const hostile::Key& k : keys) {
        for (const hostile::Value& v : values) {
            QTest::addRow("%s/%s: %s", k.section, k.name, v.kind)
                << QByteArray(k.section) << QByteArray(k.name) << v.bytes
                << QString::fromLatin1(v.kind);
        }
    }
}

// What the clock reports at start for each kind of value; anything else stored is read as 0,
// off or empty text without a word.
static QStringList expectedAtStart(const QByteArray& section, const QByteArray& key,
                                   const QString& kind) {
    const bool beyond16 = kind == u"just beyond 16 bits"_s || kind == u"just below 16 bits"_s ||
                          kind == u"beyond 32 bits"_s || kind == u"beyond a double"_s ||
                          kind == u"below a double"_s || kind == u"beyond int as coordinate"_s ||
                          kind == u"one megabyte of digits"_s;
    if (section == "Settings" && key == "LocalIndex" && beyond16)
        return {u"Overflow in Form_Load()"_s};
    if (section == "Settings" && key == "nbSetup" && beyond16)
        return {u"Overflow in ReadAlarms()"_s};
    if (section == "Settings" && key == "nbSetup" &&
        (kind == u"minus one"_s || kind == u"negative"_s || kind == u"16-bit minimum"_s))
        return {u"Subscript out of range in ReadAlarms()"_s};
    if (section == "Tokyo" && key == "OtherIndex" && beyond16)
        return {u"Overflow in RefreshSettings()"_s};
    if (section == "Tokyo" && key == "When" && beyond16)
        return {u"Overflow in ReadAlarms()"_s};
    return {};
}

void TestHostileValues::everyKeyHoldingHostileValues() {
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QString, kind);

    const QString file = nextFile();
    writeBytes(file, hostile::storeText(section, key, value));
    // The editor lists every setup up to the stored count: 32767 entries take a few seconds,
    // so that one case skips it.
    const bool withEditor = !(key == "nbSetup" && kind == u"16-bit maximum"_s);
    QElapsedTimer timer;
    timer.start();
    const Outcome o = startClock(file, withEditor);
    countMessages(o);
    QFile::remove(file);

    QVERIFY(o.loaded);
    QVERIFY2(o.usable, qPrintable(o.whyUnusable));
    QCOMPARE(o.loadMessages, expectedAtStart(section, key, kind));
    for (const QString& m : o.laterMessages)
        QVERIFY2(allowedMessage().match(m).hasMatch(), qPrintable(u"unexpected message: "_s + m));
    if (withEditor)
        QVERIFY(o.editorOpened);
    QVERIFY2(o.fileAfter.isEmpty(), qPrintable(u"after shut-down: "_s + o.fileAfter));
    // A value that stops nothing leaves the alarms ringing (Tokyo's own keys may silence it).
    // An unterminated quote makes QSettings read on over the following lines as part of the
    // value, so everything after it in the file is lost to the reader.
    if (o.loadMessages.isEmpty() && section == "Settings" && key != "nbSetup" &&
        kind != u"unterminated quote"_s && !key.startsWith("Setup") && key != "LocalIndex" &&
        key != "chk05Local")
        QCOMPARE(o.notice, u"Tokyo\nParis"_s);
    if (timer.elapsed() > 5000)
        qWarning("this case took %lld ms", timer.elapsed());
}

// Random bytes of random length instead of the settings file.
void TestHostileValues::garbageFiles() {
    for (int i = 0; i < 60; ++i) {
        const int length = i < 5 ? i : int(m_random.bounded(1, 70'000));
        QByteArray bytes(length, Qt::Uninitialized);
        for (char& c : bytes) {
            // Half the files are mostly INI punctuation, which reaches further into the parser.
            c = (i % 2 == 0) ? char(m_random.bounded(256))
                             : "[]=\\\"%@,;\n \tabc019xXuU"[m_random.bounded(23)];
        }
        const QString file = nextFile();
        writeBytes(file, bytes);
        const Outcome o = startClock(file, i % 4 == 0);
        countMessages(o);
        ++m_figures.garbageFiles;
        QVERIFY2(o.loaded && o.usable,
                 qPrintable(u"garbage file %1: %2"_s.arg(i).arg(o.whyUnusable)));
        for (const QString& m : o.loadMessages + o.laterMessages)
            QVERIFY2(allowedMessage().match(m).hasMatch(),
                     qPrintable(u"unexpected message: "_s + m));
        QVERIFY2(o.fileAfter.isEmpty(), qPrintable(u"after shut-down: "_s + o.fileAfter));
        QFile::remove(file);
    }
}

// The valid file cut at random points: what a full disk or a crash of another writer that did
// not go through a rename could leave.
void TestHostileValues::filesCutShortAtRandomPoints() {
    const QByteArray full = hostile::storeText();
    for (int i = 0; i < 150; ++i) {
        const int cut =
            i < 30 ? int(full.size()) * i / 30 : int(m_random.bounded(int(full.size())));
        const QString file = nextFile();
        writeBytes(file, full.left(cut));
        const Outcome o = startClock(file, i % 10 == 0);
        countMessages(o);
        ++m_figures.truncatedFiles;
        QVERIFY2(o.loaded && o.usable, qPrintable(u"cut at %1: %2"_s.arg(cut).arg(o.whyUnusable)));
        for (const QString& m : o.loadMessages + o.laterMessages)
            QVERIFY2(allowedMessage().match(m).hasMatch(),
                     qPrintable(u"unexpected message: "_s + m));
        QVERIFY2(o.fileAfter.isEmpty(), qPrintable(u"after shut-down: "_s + o.fileAfter));
        QFile::remove(file);
    }
}

// The valid file with a few bytes changed, inserted or removed.
void TestHostileValues::filesWithRandomBytesChanged() {
    const QByteArray full = hostile::storeText();
    static const char interesting[] = "[]=\\\"%@,;\n\r\t\0 -9eE.x";
    for (int i = 0; i < 150; ++i) {
        QByteArray bytes = full;
        const int edits = 1 + int(m_random.bounded(8));
        for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
            const int at = int(m_random.bounded(int(bytes.size())));
            const char c = m_random.bounded(2)
                               ? char(m_random.bounded(256))
                               : interesting[m_random.bounded(int(sizeof interesting) - 1)];
            switch (m_random.bounded(3)) {
            case 0:
                bytes[at] = c;
                break;
            case 1:
                bytes.insert(at, c);
                break;
            default:
                bytes.remove(at, 1 + int(m_random.bounded(20)));
                break;
            }
        }
        const QString file = nextFile();
        writeBytes(file, bytes);
        const Outcome o = startClock(file, i % 10 == 0);
        countMessages(o);
        ++m_figures.mutatedFiles;
        QVERIFY2(o.loaded && o.usable,
                 qPrintable(u"changed file %1: %2"_s.arg(i).arg(o.whyUnusable)));
        for (const QString& m : o.loadMessages + o.laterMessages)
            QVERIFY2(allowedMessage().match(m).hasMatch(),
                     qPrintable(u"unexpected message: "_s + m));
        QVERIFY2(o.fileAfter.isEmpty(), qPrintable(u"after shut-down: "_s + o.fileAfter));
        QFile::remove(file);
    }
}

// A folder where the file should be: nothing can be read or written. The clock starts as on a
// first run and says at shut-down that it cannot store its settings.
void TestHostileValues::theSettingsFileIsAFolder() {
    const QString file = nextFile();
    QVERIFY(QDir().mkpath(file));
    const Outcome o = startClock(file, true);
    countMessages(o);
    QVERIFY(o.loaded);
    QVERIFY2(o.usable, qPrintable(o.whyUnusable));
    QCOMPARE(o.loadMessages, QStringList());
    QVERIFY(!o.laterMessages.isEmpty());
    for (const QString& m : o.laterMessages)
        QVERIFY2(allowedMessage().match(m).hasMatch(), qPrintable(u"unexpected message: "_s + m));
    QVERIFY2(o.laterMessages.last().startsWith(u"Cannot write the settings file"_s),
             qPrintable(o.laterMessages.join(u" | "_s)));
}

QTEST_MAIN(TestHostileValues)
#include "tst_hostile_values.moc"

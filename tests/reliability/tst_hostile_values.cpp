// Hostile stored values, in process: each key of the store layout holding each hostile value of
// HostileStore.h, and whole files of garbage, cut short or with bytes changed. About 1 300 starts
// of the main window over the real INI store; start() says what each must give.

#include "Clock.h"
#include "HostileStore.h"
#include "IniCheck.h"
#include "IniSettingsStore.h"
#include "Doubles.h"
#include "ScratchDir.h"
#include "Services.h"
#include "frmMain.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kStart(QDate(2026, 12, 7), QTime(14, 0, 58)); // a Monday

struct Outcome {
    QStringList loadMessages;  // shown during Form_Load
    QStringList laterMessages; // ticks, setup editor, shut-down
    QString notice;            // the alarm notice's text after the alarm minute
    bool editorOpened = false;
    QStringList problems; // what no stored data may cause
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

// Opens the setup editor from the menu, as the user would, and closes it (or any other modal
// window, never to stay stuck in one) as soon as it is up. Returns whether the editor was seen.
bool openAndCloseSetupEditor(frmMain& w) {
    bool seen = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            seen = seen || modal->objectName() == u"frmSetup"_s;
            modal->reject();
        }
    });
    closer.start(2);
    w.mnSetup_Click();
    return seen;
}

} // namespace

class TestHostileValues : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyKeyHoldingHostileValues_data();
    void everyKeyHoldingHostileValues();
    void damagedFiles_data();
    void damagedFiles();
    void theSettingsFileIsAFolder();
    void cleanupTestCase();

private:
    QString fileWith(const QByteArray& bytes);
    Outcome start(const QString& file, bool withEditor);

    QTemporaryDir m_dir{scratchPattern("meridex-hostile")};
    int m_files = 0;
    QRandomGenerator m_random;
};

void TestHostileValues::initTestCase() {
    // Qt's offscreen platform warns on every window shown; a thousand starts would bury the
    // test's own output (and QtTest stops printing after 2000 messages).
    static const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type != QtWarningMsg || !text.startsWith(u"This plugin does not support"_s))
                previous(type, context, text);
        });
    QVERIFY(m_dir.isValid());
    bool ok = false;
    const quint32 seed = quint32(qEnvironmentVariableIntValue("MERIDEX_RELIABILITY_SEED", &ok));
    const quint32 used = ok ? seed : quint32(QRandomGenerator::global()->generate() >> 1);
    m_random.seed(used);
    qInfo("random seed %u (MERIDEX_RELIABILITY_SEED=%u repeats this run)", used, used);
}

void TestHostileValues::cleanupTestCase() {
    qInfo("%d starts, crashes 0", m_files);
}

// Each start gets a file of its own: QSettings caches a file's contents within the process and
// notices a change only by its size and time stamp.
QString TestHostileValues::fileWith(const QByteArray& bytes) {
    QFile file(m_dir.filePath(u"Meridex-%1.ini"_s.arg(++m_files)));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return file.fileName();
}

// The clock started over `file`, through the alarm minute and the setup editor (if asked), and
// shut down.
// Only stored data is at fault, so it must load, show a usable window, show the designed messages
// alone (a failure's description and the procedure's name, and at shut-down the question before
// a named setup's stored zone is replaced) and leave a clean file.
Outcome TestHostileValues::start(const QString& file, bool withEditor) {
    static const QRegularExpression allowed(
        u"^(Overflow|Subscript out of range|Cannot write the settings file .*) in "
        "(Form_Load|ReadAlarms|RefreshSettings|Form_Unload|SaveSettings)\\(\\)$"
        "|^Do you want to save the change of Time Zone for .* \\?$"_s);
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
        if (!w.Form_Load())
            out.problems << u"Form_Load failed"_s;
        out.loadMessages = messages.texts();
        messages.clear();
        w.show();
        for (int s = 1; s <= 3; ++s) {
            clock.set(kStart.addSecs(s));
            w.Timer1_Timer();
        }
        if (w.alarmWindow())
            out.notice = w.alarmWindow()->text();
        if (const QString why = unusableBecause(w); !why.isEmpty())
            out.problems << why;
        if (withEditor)
            out.editorOpened = openAndCloseSetupEditor(w);
        w.close(); // runs Form_Unload
        out.laterMessages = messages.texts();
    }
    for (const QString& m : out.loadMessages + out.laterMessages)
        if (!allowed.match(m).hasMatch())
            out.problems << u"unexpected message: "_s + m;
    if (QFile f(file); QFileInfo(file).isFile() && f.open(QIODevice::ReadOnly))
        if (const QString wrong = strictIniProblem(f.readAll()); !wrong.isEmpty())
            out.problems << u"after shut-down: "_s + wrong;
    QFile::remove(file);
    return out;
}

void TestHostileValues::everyKeyHoldingHostileValues_data() {
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("expected"); // at start
    QTest::newRow("the file untouched")
        << QByteArray() << QByteArray() << QByteArray() << QString() << QStringList();
    const auto values = hostile::hostileValues();
    for (const auto& [section, lines] : hostile::baseline()) {
        if (section == "Paris")
            continue; // the same keys as Tokyo
        for (const QByteArray& line : lines) {
            const QByteArray key = line.left(line.indexOf('='));
            for (const hostile::Value& v : values) {
                // What the clock reports; anything else reads as 0, off or empty text silently.
                QStringList expected;
                if (v.reads == hostile::Reads::Beyond16Bits && key == "LocalIndex")
                    expected << u"Overflow in Form_Load()"_s;
                if (v.reads == hostile::Reads::Beyond16Bits && (key == "nbSetup" || key == "When"))
                    expected << u"Overflow in ReadAlarms()"_s;
                if (v.reads == hostile::Reads::Beyond16Bits && key == "OtherIndex")
                    expected << u"Overflow in RefreshSettings()"_s;
                if (v.reads == hostile::Reads::Negative && key == "nbSetup")
                    expected << u"Subscript out of range in ReadAlarms()"_s;
                QTest::addRow("%s/%s: %s", section.constData(), key.constData(), v.kind)
                    << section << key << v.bytes << QString::fromLatin1(v.kind) << expected;
            }
        }
    }
}

void TestHostileValues::everyKeyHoldingHostileValues() {
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QString, kind);
    QFETCH(QStringList, expected);
    // The editor lists every setup up to the stored count: 32767 entries take a few seconds.
    const bool withEditor = !(key == "nbSetup" && kind == u"16-bit maximum"_s);
    const Outcome o = start(fileWith(hostile::storeText(section, key, value)), withEditor);
    QVERIFY2(o.problems.isEmpty(), qPrintable(o.problems.join(u"; "_s)));
    QCOMPARE(o.loadMessages, expected);
    QCOMPARE(o.editorOpened, withEditor);
    if (section.isEmpty())
        QCOMPARE(o.laterMessages, QStringList());
    // A value that stops nothing leaves both alarms ringing (Tokyo's own keys may silence it).
    // After an unterminated quote QSettings reads the following lines as part of the value.
    if (o.loadMessages.isEmpty() && section != "Tokyo" && key != "nbSetup" &&
        kind != u"unterminated quote"_s && !key.startsWith("Setup") && key != "LocalIndex" &&
        key != "chk05Local")
        QCOMPARE(o.notice, u"Tokyo\nParis"_s);
}

// Whole files damaged: random bytes (half of them mostly INI punctuation, which reaches further
// into the parser); the valid file cut short, as a full disk or a writer that crashed without a
// rename could leave it; and the valid file with a few bytes changed, inserted or removed.
void TestHostileValues::damagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("withEditor");
    const QByteArray full = hostile::storeText();
    const int size = int(full.size());
    for (int i = 0; i < 60; ++i) {
        QByteArray bytes(i < 5 ? i : int(m_random.bounded(1, 70'000)), Qt::Uninitialized);
        for (char& c : bytes)
            c = i % 2 == 0 ? char(m_random.bounded(256))
                           : "[]=\\\"%@,;\n \tabc019xXuU"[m_random.bounded(23)];
        QTest::addRow("garbage %d", i) << bytes << (i % 4 == 0);
    }
    for (int i = 0; i < 150; ++i) {
        const int cut = i < 30 ? size * i / 30 : int(m_random.bounded(size));
        QTest::addRow("cut %d at %d", i, cut) << full.left(cut) << (i % 10 == 0);
    }
    static const char interesting[] = "[]=\\\"%@,;\n\r\t\0 -9eE.x";
    for (int i = 0; i < 150; ++i) {
        QByteArray bytes = full;
        for (int e = 1 + int(m_random.bounded(8)); e > 0 && !bytes.isEmpty(); --e) {
            const int at = int(m_random.bounded(int(bytes.size())));
            const char c = m_random.bounded(2)
                               ? char(m_random.bounded(256))
                               : interesting[m_random.bounded(int(sizeof interesting) - 1)];
            if (const quint32 how = m_random.bounded(3); how == 0)
                bytes[at] = c;
            else if (how == 1)
                bytes.insert(at, c);
            else
                bytes.remove(at, 1 + int(m_random.bounded(20)));
        }
        QTest::addRow("changed %d", i) << bytes << (i % 10 == 0);
    }
}

void TestHostileValues::damagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, withEditor);
    const Outcome o = start(fileWith(bytes), withEditor);
    QVERIFY2(o.problems.isEmpty(), qPrintable(o.problems.join(u"; "_s)));
}

// A folder where the file should be: nothing can be read or written. The clock starts as on a
// first run and says at shut-down that it cannot store its settings.
void TestHostileValues::theSettingsFileIsAFolder() {
    const QString file = m_dir.filePath(u"Meridex-%1.ini"_s.arg(++m_files));
    QVERIFY(QDir().mkpath(file));
    const Outcome o = start(file, true);
    QVERIFY2(o.problems.isEmpty(), qPrintable(o.problems.join(u"; "_s)));
    QVERIFY(o.editorOpened);
    QCOMPARE(o.loadMessages, QStringList());
    QVERIFY(!o.laterMessages.isEmpty());
    QVERIFY2(o.laterMessages.last().startsWith(u"Cannot write the settings file"_s),
             qPrintable(o.laterMessages.join(u" | "_s)));
}

QTEST_MAIN(TestHostileValues)
#include "tst_hostile_values.moc"

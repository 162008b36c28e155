// SPDX-License-Identifier: GPL-3.0-or-later
// The autostart entry: whatever folder and program path a person has, the entry says exactly
// those, in one Exec and one Path line that desktop-file-validate accepts, or is refused.

#include "Autostart.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString launcher = u"[Desktop Entry]\nType=Application\nName=Meridex\nExec=meridex\n"
                         "Path=@MERIDEX_MAP_DIR@\nTerminal=false\n"_s;

// A key's value as a reader gets it: the escapes undone, and Exec's quotes taken off.
QString readBack(const QString& text, const QString& key) {
    const QStringList lines = text.split(u'\n').filter(QRegularExpression(u"^"_s + key + u"="_s));
    if (lines.size() != 1)
        return u"%1 lines of %2"_s.arg(lines.size()).arg(key);
    QString value;
    const QString raw = lines[0].mid(key.size() + 1);
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'\\' || i + 1 == raw.size()) {
            value += raw[i];
            continue;
        }
        const QChar c = raw[++i];
        value += c == u'n' ? u'\n' : c == u't' ? u'\t' : c == u'r' ? u'\r' : c == u's' ? u' ' : c;
    }
    if (key != u"Exec"_s)
        return value;
    QString argument;
    for (qsizetype i = 1; i + 1 < value.size(); ++i)
        argument +=
            value[i] == u'\\' || (value[i] == u'%' && value[i + 1] == u'%') ? value[++i] : value[i];
    return value.startsWith(u'"') && value.endsWith(u'"') ? argument : u"unquoted "_s + value;
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private slots:
    void entrySaysThePathsOrIsRefused_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("folder"); // the map's: the working folder
        QTest::addColumn<bool>("refused");
        const auto row = [](const char* name, const QString& program, const QString& folder,
                            bool refused = false) {
            QTest::newRow(name) << program << folder << refused;
        };
        row("plain", u"/usr/bin/meridex"_s, u"/usr/share/meridex"_s);
        row("a line injected", u"/usr/bin/meridex"_s, u"/home/p/m\nExec=touch pwned\n"_s);
        row("tab and return", u"/opt/a\tb/meridex"_s, u"/home/p/x\ry"_s);
        row("backslashes", u"/opt/a\\nb\\/meridex"_s, u"/home/p/\\\\srv\\"_s);
        row("shell's characters", u"/opt/\"$HOME\" `id` 100%/meridex"_s, u"/home/p/$x %f"_s);
        row("placeholder in the program", u"/opt/@MERIDEX_MAP_DIR@/meridex"_s, u"/maps"_s);
        row("not UTF-8", u"/opt/caf\uFFFD/meridex"_s, u"/maps"_s, true);
        row("other control character", u"/usr/bin/meridex"_s, u"/home/p/\u0001"_s, true);
    }
    void entrySaysThePathsOrIsRefused() {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(bool, refused);
        const autostart::Entry entry = autostart::fillLauncher(launcher, program, folder);
        QCOMPARE(entry.error.isEmpty(), !refused);
        if (refused) {
            QVERIFY(entry.text.isEmpty());
            return;
        }
        QCOMPARE(readBack(entry.text, u"Exec"_s), program);
        QCOMPARE(readBack(entry.text, u"Path"_s), folder);
        QTemporaryDir dir;
        QFile file(dir.filePath(u"io.github.meridex_clock.Meridex.desktop"_s));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(entry.text.toUtf8()) > 0);
        file.close();
        QProcess validate;
        validate.start(u"desktop-file-validate"_s, {file.fileName()});
        QVERIFY(validate.waitForFinished());
        QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
        QCOMPARE(validate.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"

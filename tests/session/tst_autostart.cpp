// SPDX-License-Identifier: GPL-3.0-or-later
// The autostart entry: whatever folder and program path a person has, the entry says exactly
// those, in one Exec and one Path line that desktop-file-validate accepts, or is refused.

#include "Autostart.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A key's value as a reader gets it: the file's escapes undone, then Exec's quoting.
QString readBack(const QString& text, const QString& key) {
    const QStringList lines = text.split(u'\n').filter(QRegularExpression(u"^%1="_s.arg(key)));
    QString value = lines.value(0).mid(key.size() + 1), quoted;
    static const QRegularExpression escape(uR"(\\(.))"_s), inQuotes(uR"(\\(.)|%(%))"_s);
    const QString plain = value.replace(escape, u"\x01\\1"_s)
                              .replace(u"\x01n"_s, u"\n"_s)
                              .replace(u"\x01t"_s, u"\t"_s)
                              .replace(u"\x01r"_s, u"\r"_s)
                              .remove(u'\x01');
    if (lines.size() != 1 || key != u"Exec"_s)
        return lines.size() == 1 ? plain : u"%1 lines"_s.arg(lines.size());
    quoted = plain.mid(1, plain.size() - 2);
    return plain.startsWith(u'"') ? quoted.replace(inQuotes, u"\\1\\2"_s) : plain;
}

} // namespace

class TestAutostart : public QObject {
    Q_OBJECT

private slots:
    void entrySaysThePathsOrIsRefused_data() {
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
    void entrySaysThePathsOrIsRefused() {
        QFETCH(QString, program);
        QFETCH(QString, folder);
        QFETCH(bool, refused);
        const autostart::Entry entry = autostart::fillLauncher(
            u"[Desktop Entry]\nType=Application\nName=Meridex\nExec=meridex\n"
            "Path=@MERIDEX_MAP_DIR@\n"_s,
            program, folder);
        QCOMPARE(entry.error.isEmpty(), !refused);
        QVERIFY(!refused || entry.text.isEmpty());
        if (refused)
            return;
        QCOMPARE(readBack(entry.text, u"Exec"_s), program);
        QCOMPARE(readBack(entry.text, u"Path"_s), folder);
        QTemporaryFile file(u"XXXXXX.desktop"_s);
        QVERIFY(file.open() && file.write(entry.text.toUtf8()) > 0 && file.flush());
        QProcess validate;
        validate.start(u"desktop-file-validate"_s, {file.fileName()});
        QVERIFY(validate.waitForFinished() && validate.exitCode() == 0);
        QCOMPARE(validate.readAll() + validate.readAllStandardError(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestAutostart)
#include "tst_autostart.moc"

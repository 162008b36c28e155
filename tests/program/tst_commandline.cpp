// SPDX-License-Identifier: GPL-3.0-or-later
// The built meridex started from a terminal that has no display, as over ssh or in a build job:
// DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// How it ended, its status, its standard output and its standard error.
using Ended = std::tuple<QProcess::ExitStatus, int, QString, QString>;

Ended runMeridex(const QStringList& arguments, const QString& display = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        environment.remove(name);
    if (!display.isEmpty())
        environment.insert(u"DISPLAY"_s, display);
    // Were it to start after all, it would touch no one's settings.
    const QTemporaryDir home;
    environment.insert(u"XDG_CONFIG_HOME"_s, home.path());
    environment.insert(u"XDG_RUNTIME_DIR"_s, home.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MERIDEX_BINARY), arguments);
    if (!process.waitForFinished(60000))
        process.kill(), process.waitForFinished();
    return {process.exitStatus(), process.exitCode(),
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// The options a text names, "-x" or "--x" where a word starts ("24-hour" names none).
QStringList optionsIn(const QString& text) {
    static const QRegularExpression option(uR"((?<![\w-])--?[a-z][a-z-]*)"_s);
    QStringList options;
    for (const QRegularExpressionMatch& match : option.globalMatch(text))
        options << match.captured();
    options.sort();
    options.removeDuplicates();
    return options;
}

} // namespace

class tst_CommandLine : public QObject {
    Q_OBJECT

private slots:
    void answers_data() {
        QTest::addColumn<QString>("arguments"); // split at spaces
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // a pattern for all of standard output
        QTest::addColumn<QString>("err"); // all of standard error
        const QString usage = uR"(Usage: meridex \[OPTION\]\.\.\.\n(.*\n)+)"_s;
        const QString version = "Meridex "_L1 +
                                QRegularExpression::escape(QStringLiteral(MERIDEX_VERSION)) +
                                "\n.*\nLicense GPL-3\\.0-or-later: .*\n(.*\n)+"_L1;
        const QString none = u"meridex: no display to open: neither DISPLAY nor WAYLAND_DISPLAY "
                             "is set\n"_s,
                      shut = u"meridex: cannot open a display: could not connect to display "
                             "nowhere\n"_s;
        // clang-format off
        const std::tuple<const char*, const char*, const char*, int, QString, QString> rows[]{
            {"--help", "--help", "", 0, usage, ""}, {"-h", "-h", "", 0, usage, ""},
            {"among Qt's options", "-platform offscreen -style=Fusion --help", "", 0, usage, ""},
            {"--version", "--version", "", 0, version, ""},
            {"no display", "", "", 1, "", none},
            {"no display, a Qt option", "--style Fusion", "", 1, "", none},
            {"a display that does not open", "", "nowhere", 1, "", shut},
            {"-display that does not open", "-display nowhere", "", 1, "", shut},
            {"unknown option", "--alarm", "", 2, "", "unknown option '--alarm'"},
            {"unknown option after --help", "--help -v", "", 2, "", "unknown option '-v'"},
            {"a value Qt takes not", "-platform=xcb", "", 2, "", "unknown option '-platform=xcb'"},
            {"a value missing", "-session", "", 2, "", "option '-session' needs a value"},
            {"no option", "alarm.wav", "", 2, "", "unexpected argument 'alarm.wav'"}};
        // clang-format on
        for (const auto& [name, arguments, display, status, out, err] : rows)
            QTest::newRow(name) << QString::fromLatin1(arguments) << QString::fromLatin1(display)
                                << status << out
                                << (status == 2 ? u"meridex: %1 (see 'meridex --help')\n"_s.arg(err)
                                                : err);
    }

    // Each ends by itself (no abort, so no core file) with its status and its words.
    void answers() {
        QFETCH(QString, arguments);
        QFETCH(QString, display);
        QFETCH(QString, out);
        const auto [how, status, stdOut, stdErr] =
            runMeridex(arguments.split(u' ', Qt::SkipEmptyParts), display);
        QCOMPARE(how, QProcess::NormalExit);
        QTEST(status, "status");
        QVERIFY2(
            QRegularExpression(QRegularExpression::anchoredPattern(out)).match(stdOut).hasMatch(),
            qPrintable(stdOut));
        QTEST(stdErr, "err");
    }

    void helpAndManualPageNameTheSameOptions() {
        QFile page(QStringLiteral(MERIDEX_MANUAL_PAGE));
        QVERIFY(page.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text = QString::fromUtf8(page.readAll()).replace(u"\\-"_s, u"-"_s);
        const QString options = text.section(u"\n.SH OPTIONS\n"_s, 1).section(u"\n.SH "_s, 0, 0);
        QCOMPARE(optionsIn(std::get<2>(runMeridex({u"--help"_s}))), optionsIn(options));
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"

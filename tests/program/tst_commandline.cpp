// SPDX-License-Identifier: GPL-3.0-or-later
// The built meridex started from a terminal that has no display, as over ssh or in a build job:
// DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Ended {
    QProcess::ExitStatus how;
    int status;
    QString out;
    QString err;
};

Ended runMeridex(const QStringList& arguments, const QString& display = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    // Were it to start after all, it would touch no one's settings.
    const QTemporaryDir home;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(MERIDEX_BINARY), arguments);
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus(), process.exitCode(),
            QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

// The options a text names, "-x" or "--x" where a word starts ("24-hour" names none).
QStringList optionsIn(const QString& text) {
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*"));
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
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out"); // a pattern for all of standard output
        QTest::addColumn<QString>("err"); // all of standard error

        const QString usage = QStringLiteral("Usage: meridex \\[OPTION\\]\\.\\.\\.\n(.*\n)+");
        const QString version = QStringLiteral("Meridex ") +
                                QRegularExpression::escape(QStringLiteral(MERIDEX_VERSION)) +
                                QStringLiteral("\n.*\nLicense GPL-3\\.0-or-later: .*\n(.*\n)+");
        const QString noDisplay = QStringLiteral(
            "meridex: no display to open: neither DISPLAY nor WAYLAND_DISPLAY is set\n");
        const QString notOpened = QStringLiteral(
            "meridex: cannot open a display: could not connect to display nowhere\n");
        const auto wrong = [](const QString& what) {
            return QStringLiteral("meridex: %1 (see 'meridex --help')\n").arg(what);
        };
        // clang-format off
        QTest::newRow("--help") << QStringList{"--help"} << "" << 0 << usage << "";
        QTest::newRow("-h") << QStringList{"-h"} << "" << 0 << usage << "";
        QTest::newRow("--help among Qt's options")
            << QStringList{"-platform", "offscreen", "-style=Fusion", "--help"} << "" << 0 << usage << "";
        QTest::newRow("--version") << QStringList{"--version"} << "" << 0 << version << "";
        QTest::newRow("no display") << QStringList{} << "" << 1 << "" << noDisplay;
        QTest::newRow("no display, a Qt option") << QStringList{"--style", "Fusion"} << "" << 1 << "" << noDisplay;
        QTest::newRow("a display that does not open") << QStringList{} << "nowhere" << 1 << "" << notOpened;
        QTest::newRow("-display that does not open") << QStringList{"-display", "nowhere"} << "" << 1 << "" << notOpened;
        QTest::newRow("unknown option") << QStringList{"--alarm"} << "" << 2 << ""
                                        << wrong("unknown option '--alarm'");
        QTest::newRow("unknown option after --help") << QStringList{"--help", "-v"} << "" << 2 << ""
                                                     << wrong("unknown option '-v'");
        QTest::newRow("a value where Qt takes none") << QStringList{"-platform=xcb"} << "" << 2 << ""
                                                     << wrong("unknown option '-platform=xcb'");
        QTest::newRow("a value missing") << QStringList{"-session"} << "" << 2 << ""
                                         << wrong("option '-session' needs a value");
        QTest::newRow("no option") << QStringList{"alarm.wav"} << "" << 2 << ""
                                   << wrong("unexpected argument 'alarm.wav'");
        // clang-format on
    }

    // Each ends by itself (no abort, so no core file) with its status and its words.
    void answers() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        const Ended ended = runMeridex(arguments, display);
        QCOMPARE(ended.how, QProcess::NormalExit);
        QTEST(ended.status, "status");
        QFETCH(QString, out);
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern(out))
                     .match(ended.out)
                     .hasMatch(),
                 qPrintable(ended.out));
        QTEST(ended.err, "err");
    }

    void helpAndManualPageNameTheSameOptions() {
        QFile page(QStringLiteral(MERIDEX_MANUAL_PAGE));
        QVERIFY(page.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString text =
            QString::fromUtf8(page.readAll()).replace(QStringLiteral("\\-"), QStringLiteral("-"));
        const QString options = text.section(QStringLiteral("\n.SH OPTIONS\n"), 1)
                                    .section(QStringLiteral("\n.SH "), 0, 0);
        QCOMPARE(optionsIn(runMeridex({QStringLiteral("--help")}).out), optionsIn(options));
    }
};

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"

// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "PlatformChoice.h"
#include "Version.h"

#include <cstdio>

namespace {

struct QtOption {
    const char* name;
    const char* value; // how the help shows its value; null for an option without one
    bool joinable;     // Qt also takes the value as -name=value
};

// The options QApplication and its Linux platform plug-ins read, with one dash or two.
constexpr QtOption qtOptions[] = {
    {"display", "DISPLAY", false},
    {"geometry", "WxH+X+Y", false},
    {"platform", "NAME", false},
    {"platformpluginpath", "PATH", false},
    {"platformtheme", "NAME", false},
    {"plugin", "NAME", false},
    {"qwindowgeometry", "WxH+X+Y", false},
    {"qwindowicon", "FILE", false},
    {"qwindowtitle", "TITLE", false},
    {"reverse", nullptr, false},
    {"session", "ID", false},
    {"style", "NAME", true},
    {"stylesheet", "FILE", true},
    {"widgetcount", nullptr, false},
};

const QtOption* qtOption(const QString& name) {
    for (const QtOption& option : qtOptions)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

CommandLine wrong(const QString& what) {
    return {CommandLine::Request::Wrong, what, {}, false};
}

void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool help = false;
    bool version = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            help = true;
            continue;
        }
        if (argument == QLatin1String("--version")) {
            version = true;
            continue;
        }
        if (argument.size() < 2 || !argument.startsWith(QLatin1Char('-')))
            return wrong(QStringLiteral("unexpected argument '%1'").arg(argument));
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        const QString joined = equals < 0 ? QString() : name.mid(equals + 1);
        if (equals >= 0)
            name.truncate(equals);
        const QtOption* option = qtOption(name);
        if (!option || (equals >= 0 && !option->joinable))
            return wrong(QStringLiteral("unknown option '%1'").arg(argument));
        QString value;
        if (option->value && equals >= 0)
            value = joined;
        else if (option->value && i + 1 < arguments.size())
            value = arguments[++i];
        else if (option->value)
            return wrong(QStringLiteral("option '%1' needs a value").arg(argument));
        if (name == QLatin1String("platform"))
            line.platformChosen = true;
        else if (name == QLatin1String("display"))
            line.display = value;
    }
    line.request = help      ? CommandLine::Request::Help
                   : version ? CommandLine::Request::Version
                             : CommandLine::Request::Run;
    return line;
}

QString helpText() {
    QString qt;
    QString row;
    for (const QtOption& option : qtOptions) {
        QString item = QLatin1Char('-') + QLatin1String(option.name);
        if (option.value)
            item += QLatin1Char(' ') + QLatin1String(option.value);
        if (row.size() + 2 + item.size() > 79) {
            qt += row + QLatin1Char('\n');
            row.clear();
        }
        row += QStringLiteral("  ") + item;
    }
    qt += row + QLatin1Char('\n');
    return QStringLiteral(
               "Usage: meridex [OPTION]...\n"
               "A desktop clock: the local time and the time of another zone side by side,\n"
               "with named setups, reminder alarms and a map of the world's time zones.\n"
               "\n"
               "  -h, --help     print this help and exit\n"
               "      --version  print the version and the licence and exit\n"
               "\n"
               "Qt's own options are passed on to Qt (see meridex(1)):\n") +
           qt +
           QStringLiteral(
               "\n"
               "Settings are kept in $XDG_CONFIG_HOME/Meridex/Meridex.ini, by default in\n"
               "~/.config/Meridex/Meridex.ini.\n"
               "\n"
               "Exit status: 0 when the clock is closed or another one already runs, 1 when\n"
               "no display can be opened, 2 when the command line is wrong.\n");
}

QString versionText() {
    return QStringLiteral("Meridex %1.%2.%3\n"
                          "Copyright 2026 The Meridex project\n"
                          "License GPL-3.0-or-later: GNU GPL version 3 or later "
                          "<https://gnu.org/licenses/gpl.html>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

std::optional<int> answerBeforeStart(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = readCommandLine(arguments);
    switch (line.request) {
    case CommandLine::Request::Help:
        print(stdout, helpText());
        return 0;
    case CommandLine::Request::Version:
        print(stdout, versionText());
        return 0;
    case CommandLine::Request::Wrong:
        print(stderr, QStringLiteral("meridex: %1 (see 'meridex --help')\n").arg(line.wrong));
        return 2;
    case CommandLine::Request::Run:
        break;
    }
    const QString missing =
        missingDisplay(line.platformChosen || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"),
                       qgetenv("WAYLAND_DISPLAY"),
                       line.display.isNull() ? qgetenv("DISPLAY") : line.display.toLocal8Bit());
    if (missing.isEmpty())
        return std::nullopt;
    print(stderr, QStringLiteral("meridex: %1\n").arg(missing));
    return 1;
}

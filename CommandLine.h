// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What `meridex ...` asks for. Qt's own options (-platform, -style, -session, ...) count as
// known, so that they are not taken for mistakes, and stay in the arguments for QApplication,
// which takes them out itself: a session manager restarts a program with -session.
struct CommandLine {
    enum class Request { Run, Help, Version, Wrong };
    Request request = Request::Run;
    QString wrong;               // for Wrong: what is wrong, naming the argument
    QString display;             // the value of -display, the X display Qt opens over $DISPLAY
    bool platformChosen = false; // -platform was given
};

// `arguments` without the program's name.
CommandLine readCommandLine(const QStringList& arguments);
QString helpText();
QString versionText();

// Answers what needs no display, before Qt needs one: --help, --version, a wrong command line,
// and a start with no display at all. The exit status then; nothing when the clock is to start.
std::optional<int> answerBeforeStart(int argc, char* argv[]);

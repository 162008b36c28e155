// SPDX-License-Identifier: GPL-3.0-or-later
#include "DisplayOpening.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

std::mutex heldMutex;
std::vector<HeldMessage> held; // guarded by heldMutex
QtMessageHandler passOn = nullptr;

// Qt's fatal message only speaks of plug-ins and reinstalling; what failed (for example "could
// not connect to display :1") is in the platform plug-in's first warning before it.
QString reasonFor(const QString& fatal) {
    for (const HeldMessage& message : held)
        if ((message.type == QtWarningMsg || message.type == QtCriticalMsg) &&
            message.category.startsWith("qt.qpa"))
            return message.text;
    return fatal.section(QLatin1Char('\n'), 0, 0);
}

void hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::lock_guard lock(heldMutex);
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "meridex: cannot open a display: %s\n",
                     reasonFor(text).toLocal8Bit().constData());
        std::fflush(stderr);
        std::_Exit(1);
    }
    held.push_back({type, context.file, context.line, context.function, context.category, text});
}

} // namespace

DisplayOpening::DisplayOpening() {
    passOn = qInstallMessageHandler(hold);
}

DisplayOpening::~DisplayOpening() {
    opened();
}

void DisplayOpening::opened() {
    if (!m_holding)
        return;
    m_holding = false;
    qInstallMessageHandler(passOn);
    std::vector<HeldMessage> messages;
    {
        const std::lock_guard lock(heldMutex);
        messages.swap(held);
    }
    for (const HeldMessage& message : messages)
        passOn(message.type,
               QMessageLogContext(message.file.constData(), message.line,
                                  message.function.constData(), message.category.constData()),
               message.text);
}

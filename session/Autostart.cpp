// SPDX-License-Identifier: GPL-3.0-or-later
#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString mapFile = QStringLiteral("TimeZoneMap.jpg");

// Where the map viewer finds the map: the working folder of this run when it is there, else
// the installed copy.
QString mapFolder() {
    const QString here = QDir::currentPath();
    if (QFileInfo::exists(QDir(here).filePath(mapFile)))
        return here;
    const QString installed = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                     QStringLiteral("meridex/") + mapFile);
    return installed.isEmpty() ? here : QFileInfo(installed).absolutePath();
}

// A desktop entry's Exec quotes a program and escapes \ " ` $ in it; the file's own escapes
// then double every backslash, and a per cent sign would start a field code.
QString execValue(const QString& program) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (QStringLiteral("\\\"`$").contains(c))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    return quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('%'), QStringLiteral("%%"));
}

} // namespace

namespace autostart {

QString entryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart/") + QGuiApplication::desktopFileName() +
           QStringLiteral(".desktop");
}

bool isOn() {
    return QFileInfo::exists(entryPath());
}

QString turnOn() {
    QFile launcher(QStringLiteral(":/") + QGuiApplication::desktopFileName() +
                   QStringLiteral(".desktop.in"));
    launcher.open(QIODevice::ReadOnly);
    QString text = QString::fromUtf8(launcher.readAll());
    const QRegularExpression exec(QStringLiteral("^Exec=.*$"), QRegularExpression::MultilineOption);
    text.replace(exec,
                 QStringLiteral("Exec=") + execValue(QCoreApplication::applicationFilePath()));
    text.replace(QStringLiteral("@MERIDEX_MAP_DIR@"),
                 QString(mapFolder()).replace(QLatin1Char('\\'), QStringLiteral("\\\\")));

    const QString path = entryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(text.toUtf8()) < 0 || !entry.commit())
        return QStringLiteral("Cannot write the autostart entry %1: %2")
            .arg(QDir::toNativeSeparators(path), entry.errorString());
    return {};
}

QString turnOff() {
    QFile entry(entryPath());
    if (entry.exists() && !entry.remove())
        return QStringLiteral("Cannot remove the autostart entry %1: %2")
            .arg(QDir::toNativeSeparators(entry.fileName()), entry.errorString());
    return {};
}

} // namespace autostart

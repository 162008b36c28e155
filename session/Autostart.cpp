// SPDX-License-Identifier: GPL-3.0-or-later
#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
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

const QString mapPlaceholder = QStringLiteral("@MERIDEX_MAP_DIR@");

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
    const Entry entry = fillLauncher(QString::fromUtf8(launcher.readAll()),
                                     QCoreApplication::applicationFilePath(), mapFolder());
    if (!entry.error.isEmpty())
        return QStringLiteral("Cannot write the autostart entry: %1").arg(entry.error);

    const QString path = entryPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.text.toUtf8()) < 0 || !file.commit())
        return QStringLiteral("Cannot write the autostart entry %1: %2")
            .arg(QDir::toNativeSeparators(path), file.errorString());
    return {};
}

QString turnOff() {
    QFile entry(entryPath());
    if (entry.exists() && !entry.remove())
        return QStringLiteral("Cannot remove the autostart entry %1: %2")
            .arg(QDir::toNativeSeparators(entry.fileName()), entry.errorString());
    return {};
}

QString entryValue(const QString& text) {
    QString value;
    value.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            value += QStringLiteral("\\\\");
            break;
        case u'\n':
            value += QStringLiteral("\\n");
            break;
        case u'\t':
            value += QStringLiteral("\\t");
            break;
        case u'\r':
            value += QStringLiteral("\\r");
            break;
        default:
            value += c;
        }
    }
    return value;
}

QString execValue(const QString& program) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == u'\\' || c == u'"' || c == u'`' || c == u'$')
            quoted += u'\\';
        quoted += c == u'%' ? QStringLiteral("%%") : QString(c);
    }
    return entryValue(quoted + u'"');
}

QString unwritablePath(const QString& path) {
    for (const QChar c : path) {
        const bool control =
            (c.unicode() < 0x20 && c != u'\n' && c != u'\t' && c != u'\r') || c.unicode() == 0x7f;
        // A file name's bytes that are not UTF-8 come to us as replacement characters.
        if (control || c == QChar::ReplacementCharacter || c.isNonCharacter())
            return QStringLiteral("the path %1 holds a character that cannot be written in it")
                .arg(path);
    }
    return {};
}

Entry fillLauncher(const QString& launcher, const QString& program, const QString& mapFolder) {
    for (const QString& path : {program, mapFolder}) {
        if (QString why = unwritablePath(path); !why.isEmpty())
            return {{}, why};
    }
    QStringList lines = launcher.split(u'\n');
    for (QString& line : lines) {
        if (line.startsWith(QStringLiteral("Exec=")))
            line = QStringLiteral("Exec=") + execValue(program);
        else
            line.replace(mapPlaceholder, entryValue(mapFolder));
    }
    return {lines.join(u'\n'), {}};
}

} // namespace autostart

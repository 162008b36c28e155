// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The XDG autostart entry that starts Meridex when the person logs in. It is the launcher's
// own text, with this program's path and the folder the map is read from, so that the clock
// starts as from the menu.
namespace autostart {

QString entryPath();
bool isOn();
// Write or remove the entry; they return what went wrong, empty when nothing did.
QString turnOn();
QString turnOff();

// A desktop entry's string value: backslash, newline, tab and carriage return escaped, so that
// no text can end the line and start a key of its own.
QString entryValue(const QString& text);
// Exec's value for one program without arguments: quoted, with \ " ` $ escaped inside the
// quotes and per cent signs doubled, then escaped as every value is.
QString execValue(const QString& program);
// Why `path` cannot be written in an entry at all (other control characters, or bytes that are
// not text in the file's encoding, which a reader could not give back); empty when it can.
QString unwritablePath(const QString& path);

struct Entry {
    QString text;  // the entry, when error is empty
    QString error; // why it cannot be written
};
// The launcher's text with its Exec line running `program` and its Path the map's folder. Only
// the launcher's own text is filled in: nothing in the two paths is read as a placeholder.
Entry fillLauncher(const QString& launcher, const QString& program, const QString& mapFolder);

} // namespace autostart

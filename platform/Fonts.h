// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

#include <thread>

// The windows keep their classic face names ("Courier New", "MS Sans Serif", "MS Serif");
// this maps them once onto the metric-compatible Liberation faces (Debian fonts-liberation).
// Safe to call more than once.
void installFontSubstitutions();

// A font in a classic face: the Liberation face that stands in for it is named first and the
// classic name after it. Qt then finds the installed face at once; asked for the classic name,
// it searches every installed family for it and sorts fallback faces for it as well, which on a
// machine with a few thousand fonts is most of a start's font work.
QFont classicFont(const QString& face, qreal points, bool bold = false);
// The classic face a font was made for: the last of its families (its one family otherwise).
QString classicFace(const QFont& font);
// The same font in another classic face, its size and other properties kept.
void setClassicFace(QFont& font, const QString& face);

// True when every character of `text` is in Latin-1, which the Liberation faces hold whole. A
// control that shows nothing else can do without fallback faces (QFont::NoFontMerging), and Qt
// then skips sorting every installed font to find them.
bool withinLatin1(QStringView text);

// The face and size of every window's text where a control names no font of its own: the
// editor, the date picker, the notice, the message boxes and the main window's option boxes
// and dates all read alike, whatever the desktop's default font is.
QFont dialogFont();

// Fontconfig reads its configuration and the cache of every installed font before the first text
// can be measured: some milliseconds at every start. Made before the application connects to the
// display, this object has that reading done on another core meanwhile.
//
// Fontconfig does not make a second caller wait for a loading in progress: it loads a copy of its
// own and throws one away, on the main thread: the time saved is spent again.
// So finish() must come before anything that measures text (the first window), and Qt must not
// measure text before it.
class FontconfigWarmUp {
public:
    FontconfigWarmUp();
    ~FontconfigWarmUp();
    // Waits until the configuration is loaded. Again, or at the end, it returns at once.
    void finish();
    FontconfigWarmUp(const FontconfigWarmUp&) = delete;
    FontconfigWarmUp& operator=(const FontconfigWarmUp&) = delete;

private:
    std::thread m_thread;
};

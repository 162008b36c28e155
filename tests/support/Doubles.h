// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stand-ins for the platform services, so a window can run over a clock that stands still, a
// store in memory, scripted message boxes, and no sound or stacking on the screen.

#include "Clock.h"
#include "MessageBoxes.h"
#include "RuntimeError.h"
#include "SettingsStore.h"
#include "SoundPlayer.h"
#include "WindowStacking.h"

#include <QDateTime>
#include <QMap>
#include <QQueue>
#include <QStringList>

#include <functional>

// A clock that stands still until told to move.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0)))
        : m_now(std::move(start)) {}
    QDateTime now() const override { return m_now; }
    QTimeZone timeZone() const override { return zone; }
    std::chrono::milliseconds suspended() const override { return slept; }
    void set(const QDateTime& t) { m_now = t; }

    // The machine's zone as a first start sees it; UTC unless a test says otherwise.
    QTimeZone zone = QTimeZone::utc();
    // The time the machine has spent suspended; a test adds each sleep.
    std::chrono::milliseconds slept{0};

private:
    QDateTime m_now;
};

// The store in memory, with the file store's failures: deleting a missing section throws, and
// failWrites() makes every change throw as a full disk would.
class MemorySettingsStore final : public SettingsStore {
public:
    using Contents = QMap<QString, QMap<QString, QString>>;
    explicit MemorySettingsStore(Contents initial = {}) : m_contents(std::move(initial)) {}

    QString read(const QString& section, const QString& key) const override {
        return m_contents.value(section).value(key, QStringLiteral(""));
    }
    void write(const QString& section, const QString& key, const QString& value) override {
        throwIfFailing();
        m_contents[section][key] = value;
    }
    void writeSection(const QString& section, const QMap<QString, QString>& values) override {
        throwIfFailing();
        m_contents[section].insert(values);
    }
    void deleteSection(const QString& section) override {
        throwIfFailing();
        if (m_contents.remove(section) == 0)
            throw RuntimeError(
                QStringLiteral("The settings section \"%1\" does not exist").arg(section));
    }
    bool hasSection(const QString& section) const override { return m_contents.contains(section); }

    const Contents& contents() const { return m_contents; }
    void failWrites(const QString& description) { m_failure = description; }

private:
    void throwIfFailing() const {
        if (!m_failure.isEmpty())
            throw RuntimeError(m_failure);
    }
    Contents m_contents;
    QString m_failure;
};

// Remembers every path it was asked to play and answers with a set error text ("" = played).
class NullSoundPlayer final : public SoundPlayer {
public:
    QString play(const QString& path) override {
        m_played.append(path);
        return m_result;
    }
    const QStringList& played() const { return m_played; }
    void setResult(const QString& result) { m_result = result; }

private:
    QStringList m_played;
    QString m_result;
};

// Leaves every window where it is.
class NullWindowStacking final : public WindowStacking {
public:
    void setTopMost(QWidget*, bool) override {}
    void bringToFront(QWidget*, const QString&) override {}
};

// Records each box's text and answers from a script; with the script used up, the first button.
class ScriptedMessageBoxes final : public MessageBoxes {
public:
    Answer show(QWidget*, const QString& text, Buttons buttons = Buttons::Ok,
                const QString& = {}) override {
        m_texts.append(text);
        if (whileOpen)
            whileOpen();
        if (!m_script.isEmpty())
            return m_script.dequeue();
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    void script(std::initializer_list<Answer> answers) {
        for (const Answer answer : answers)
            m_script.enqueue(answer);
    }
    const QStringList& texts() const { return m_texts; }
    void clear() { m_texts.clear(); }

    // Runs while a box is open, as a person reads it: a real box runs an event loop meanwhile.
    std::function<void()> whileOpen;

private:
    QQueue<Answer> m_script;
    QStringList m_texts;
};

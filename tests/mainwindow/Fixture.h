#pragma once

#include "Clock.h"
#include "Doubles.h"
#include "Services.h"
#include "Twips.h"
#include "frmMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <memory>

// A size in twips as the window shows it, in pixels.
inline QSize twipsSize(int width, int height) {
    return {twips::toPixels(width), twips::toPixels(height)};
}

// A main window over fakes: a clock that stands still, a store in memory, scripted message
// boxes, and no sound or stacking on the screen. The window's own timer is stopped so the test
// drives every tick.
struct MainWindowFixture {
    explicit MainWindowFixture(MemorySettingsStore::Contents contents = {},
                               QDateTime now = QDateTime(QDate(2026, 12, 7), QTime(14, 0)))
        : clock(now),
          store(std::move(contents)), services{clock, store, messages, stacking, sound} {}

    frmMain& load() {
        window = std::make_unique<frmMain>(services);
        window->findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
        loaded = window->Form_Load();
        return *window;
    }

    // Shows the loaded window and waits until it is on the screen.
    bool shown() const {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }

    // Moves the clock and runs one tick, as the timer would.
    void tickAt(const QDateTime& t) {
        clock.set(t);
        window->Timer1_Timer();
    }

    template <typename T> T* child(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    QCheckBox* box(const char* name) const { return child<QCheckBox>(name); }
    QListWidget* list(const char* name) const { return child<QListWidget>(name); }
    QAction* item(const char* name) const { return window->menuItem(QString::fromLatin1(name)); }
    QString stored(const QString& section, const QString& key) const {
        return store.read(section, key);
    }

    FakeClock clock;
    MemorySettingsStore store;
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    NullSoundPlayer sound;
    Services services;
    std::unique_ptr<frmMain> window;
    bool loaded = false;
};

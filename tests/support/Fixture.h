// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Doubles.h"
#include "FineTimer.h"
#include "Services.h"
#include "frmMain.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <memory>

using Contents = MemorySettingsStore::Contents;

// A time of Monday 7 December 2026, "hh:mm:ss[.zzz]".
inline QDateTime monday(const QString& time) {
    return QDateTime(QDate(2026, 12, 7), QTime::fromString(time, Qt::ISODateWithMs));
}

// The main window over a clock that stands still, a store in memory unless another is given,
// scripted message boxes and no sound or stacking. Its own timer is stopped: the test moves the
// clock and ticks.
struct Desk {
    explicit Desk(Contents contents = {}, const QString& now = QStringLiteral("14:00:00"),
                  SettingsStore* store = nullptr)
        : clock(monday(now)), memory(std::move(contents)), services{clock, store ? *store : memory,
                                                                    messages, stacking, sound} {}

    frmMain& load() {
        window = std::make_unique<frmMain>(services);
        child<FineTimer>("Timer1")->stop();
        window->Form_Load();
        return *window;
    }
    bool show() const {
        window->show();
        return QTest::qWaitForWindowExposed(window.get());
    }
    void tickAt(const QTime& time) {
        clock.set(QDateTime(clock.now().date(), time));
        window->Timer1_Timer();
    }
    template <typename T = QWidget> T* child(const char* name) const {
        return window->findChild<T*>(QLatin1String(name));
    }
    // What a screen reader reads of a label.
    QString label(const char* name) const {
        return QAccessible::queryAccessibleInterface(child(name))->text(QAccessible::Name);
    }

    // A click on the Local time opens the menu; the item is clicked there, or in the submenu
    // its parent menu pops up.
    void choose(const char* name) const {
        QTest::mouseClick(child("Label1"), Qt::LeftButton);
        QAction* item = window->menuItem(QLatin1String(name));
        auto* menu = qobject_cast<QMenu*>(item->parent());
        if (menu != window->popupMenu())
            click(window->popupMenu(), menu->menuAction());
        QVERIFY(QTest::qWaitFor([menu] { return menu->isVisible(); }));
        click(menu, item);
    }
    static void click(QMenu* menu, QAction* item) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    }

    FakeClock clock;
    MemorySettingsStore memory;
    ScriptedMessageBoxes messages;
    NullWindowStacking stacking;
    NullSoundPlayer sound;
    Services services;
    std::unique_ptr<frmMain> window;
};

// One row of a data table, its columns in order (a text as const char*: a QString column).
template <typename... Columns> void row(const char* name, Columns... columns) {
    (QTest::newRow(name) << ... << columns);
}

// Replaces a box's text by typing, as a person does.
inline void retype(QWidget* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

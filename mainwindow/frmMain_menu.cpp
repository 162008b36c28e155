// SPDX-License-Identifier: GPL-3.0-or-later
// The popup menu of the main window and its commands.
#include "frmMain.h"

#include "Autostart.h"
#include "Fonts.h"
#include "MessageBoxes.h"
#include "TimeLabel.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QMenu>
#include <QMouseEvent>
#include <QShortcut>

void frmMain::createMenu() {
    mnMenu = new QMenu(QStringLiteral("Menu"), this);
    mnMenu->setObjectName(QStringLiteral("mnMenu"));

    struct Item {
        QAction*& action;
        const char* name;
        const char* caption;
        bool checkable;
    };
    auto add = [](QMenu* menu, const Item& item) {
        item.action = menu->addAction(QString::fromLatin1(item.caption));
        item.action->setObjectName(QString::fromLatin1(item.name));
        item.action->setCheckable(item.checkable);
    };

    for (const Item& item :
         {Item{mnMini, "mnMini", "Mini", true}, Item{mnSmall, "mnSmall", "Small", true},
          Item{mnMinimize, "mnMinimize", "Minimize", false},
          Item{mnAlwaysOnTop, "mnAlwaysOnTop", "Always On Top", true},
          Item{mnStartAtLogin, "mnStartAtLogin", "Start At Login", true}})
        add(mnMenu, item);
    // The entry is the person's to remove by other means too: its mark is read each time.
    connect(mnMenu, &QMenu::aboutToShow, this,
            [this] { mnStartAtLogin->setChecked(autostart::isOn()); });

    mnTimeZone = mnMenu->addMenu(QStringLiteral("Time Zone"));
    mnTimeZone->setObjectName(QStringLiteral("mnTimeZone"));
    for (const Item& item : {Item{mnLocalDST, "mnLocalDST", "Local DST", true},
                             Item{mnOtherDST, "mnOtherDST", "Other DST", true},
                             Item{mn05Local, "mn05Local", "Local +0.5 hr", true},
                             Item{mn05Other, "mn05Other", "Other +0.5 hr", true}})
        add(mnTimeZone, item);

    for (const Item& item : {Item{mnLocal24hrs, "mnLocal24hrs", "Local 24 hrs", true},
                             Item{mnOther24hrs, "mnOther24hrs", "Other 24 hrs", true}})
        add(mnMenu, item);
    mnMenu->addSeparator()->setObjectName(QStringLiteral("mnBar0"));
    add(mnMenu, {mnSetup, "mnSetup", "Setup", false});
    mnMenu->addSeparator()->setObjectName(QStringLiteral("mnBar1"));
    add(mnMenu, {mnAbout, "mnAbout", "About", false});
    add(mnMenu, {mnViewMap, "mnViewMap", "View Map", false});
    mnBar2 = mnMenu->addSeparator();
    mnBar2->setObjectName(QStringLiteral("mnBar2"));
    mnBar2->setVisible(false);
    for (std::size_t i = 0; i < mnMRU.size(); ++i) {
        mnMRU[i] = mnMenu->addAction(QString());
        mnMRU[i]->setObjectName(QStringLiteral("mnMRU%1").arg(i + 1));
        mnMRU[i]->setVisible(false);
        const int index = static_cast<int>(i) + 1;
        connect(mnMRU[i], &QAction::triggered, this, [this, index] { mnMRU_Click(index); });
    }

    // A checkable QAction flips its own mark before `triggered` arrives; the handlers own the
    // marks, so the flip is undone first and the handler decides.
    auto command = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, [this, action, handler] {
            if (action->isCheckable())
                action->setChecked(!action->isChecked());
            handler();
        });
    };
    command(mnSmall, [this] { mnSmall_Click(); });
    command(mnMini, [this] { mnMini_Click(); });
    command(mnMinimize, [this] { mnMinimize_Click(); });
    command(mnAlwaysOnTop, [this] { mnAlwaysOnTop_Click(); });
    command(mnStartAtLogin, [this] { mnStartAtLogin_Click(); });
    command(mnLocalDST, [this] { mnTwin_Click(chkDSTLocal, mnLocalDST, true); });
    command(mnOtherDST, [this] { mnTwin_Click(chkDSTOther, mnOtherDST, true); });
    command(mn05Local, [this] { mnTwin_Click(chk05Local, mn05Local, false); });
    command(mn05Other, [this] { mnTwin_Click(chk05Other, mn05Other, false); });
    command(mnLocal24hrs, [this] { mnTwin_Click(chk24hLocal, mnLocal24hrs, true); });
    command(mnOther24hrs, [this] { mnTwin_Click(chk24hOther, mnOther24hrs, true); });
    command(mnSetup, [this] { mnSetup_Click(); });
    command(mnAbout, [this] { mnAbout_Click(); });
    command(mnViewMap, [this] { mnViewMap_Click(); });

    // Qt hands a mouse event that a child ignores on to its parent, which would let a click on
    // a frame, a date label or a time's right button reach the window's background and open the
    // menu. The frames stop that for themselves and everything inside them.
    for (QWidget* frame : {static_cast<QWidget*>(FrameLocal), static_cast<QWidget*>(FrameOther)})
        frame->setAttribute(Qt::WA_NoMousePropagation);

    // Menus are windows of their own and take no font from the clock: give them its face.
    for (QMenu* menu : findChildren<QMenu*>())
        menu->setFont(dialogFont());

    // The same menu from the keyboard, whichever control has the focus, opened over the window.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this,
                [this] { showPopupMenu(mapToGlobal(rect().center())); });
    }
}

QAction* frmMain::menuItem(const QString& name) const {
    return findChild<QAction*>(name);
}

void frmMain::showPopupMenu(const QPoint& globalPos) {
    mnMenu->popup(globalPos);
}

// Any button released over the window's own background opens the menu. A release over a frame
// or anything inside it (zone list, option box, time or date label) is kept from reaching the
// window by the frames themselves; see createMenu().
void frmMain::mouseReleaseEvent(QMouseEvent* event) {
    showPopupMenu(event->globalPosition().toPoint());
}

// A left click on either time opens the menu too. A click ends over the control it began on,
// so a press on the time dragged away before release does not count.
bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Label1 || watched == Label2) && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* time = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton &&
            time->rect().contains(mouse->position().toPoint())) {
            showPopupMenu(mouse->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMain::mnMinimize_Click() {
    setWindowState(windowState() | Qt::WindowMinimized);
}

void frmMain::mnAlwaysOnTop_Click() {
    mnAlwaysOnTop->setChecked(!mnAlwaysOnTop->isChecked());
}

void frmMain::mnStartAtLogin_Click() {
    const QString error = autostart::isOn() ? autostart::turnOff() : autostart::turnOn();
    if (!error.isEmpty())
        m_services.messages.inform(this, error);
    mnStartAtLogin->setChecked(autostart::isOn());
}

void frmMain::mnTwin_Click(QCheckBox* box, QAction* twin, bool relayout) {
    const bool on = !box->isChecked();
    box->setChecked(on); // runs the box's own handler
    twin->setChecked(on);
    if (relayout)
        WindowResize();
}

void frmMain::mnAbout_Click() {
    const QStringList lines = {
        QStringLiteral("Meridex, ") + AppVersion(),
        QStringLiteral("By the Meridex project"),
        QStringLiteral("e-mail: <meridex@users.noreply.github.com>"),
        QStringLiteral("Info, current version: https://github.com/meridex-clock/meridex"),
        QString(),
        QStringLiteral("This program written for everyone who keeps in touch across time zones"),
        QStringLiteral("Support https://github.com/meridex-clock/meridex/issues"),
    };
    m_services.messages.inform(this, lines.join(QStringLiteral("\r\n")), QStringLiteral("Meridex"));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accessibility.h"

#include "AccessibleParts.h"

#include "ClockFrame.h"
#include "SoundBox.h"
#include "TimeLabel.h"
#include "ZoneList.h"
#include "frmAlarm.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QMenu>
#include <QPointer>

namespace {

// A top-level window of ours with the role it has for a person.
class WindowAccessible final : public QAccessibleWidget {
public:
    WindowAccessible(QWidget* window, QAccessible::Role role) : QAccessibleWidget(window, role) {}
    QString text(QAccessible::Text kind) const override {
        // The notice says what rang, not only that something did.
        if (kind == QAccessible::Description) {
            if (const auto* notice = qobject_cast<const frmAlarm*>(object()))
                return notice->text();
        }
        return QAccessibleWidget::text(kind);
    }
};

// A menu item with a check mark: Qt reads it as a plain command, with nothing that says it can
// be checked. As a check box a reader says "check box" and "checked" or "not checked".
class CheckMenuItem final : public AccessiblePart, public QAccessibleActionInterface {
public:
    CheckMenuItem(QMenu* menu, QAction* action)
        : AccessiblePart(menu), m_menu(menu), m_action(action) {}

    bool isValid() const override { return m_menu && m_action; }
    QObject* object() const override { return m_action; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name && isValid() ? m_action->text().remove(u'&') : QString();
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect item = m_menu->actionGeometry(m_action);
        return {m_menu->mapToGlobal(item.topLeft()), item.size()};
    }
    QAccessible::Role role() const override { return QAccessible::CheckBox; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid())
            return state;
        state.invisible = !m_menu->isVisible() || !m_action->isVisible();
        state.focused = m_menu->activeAction() == m_action;
        state.disabled = !m_action->isEnabled();
        state.checkable = true;
        state.checked = m_action->isChecked();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction(), toggleAction()}; }
    void doAction(const QString& /*name*/) override {
        if (isValid() && m_action->isEnabled())
            m_action->trigger();
    }
    QStringList keyBindingsForAction(const QString& /*name*/) const override { return {}; }

private:
    QPointer<QMenu> m_menu;
    QPointer<QAction> m_action;
};

QAccessibleInterface* ourRoles(const QString& className, QObject* object) {
    if (auto* action = qobject_cast<QAction*>(object); action && action->isCheckable()) {
        if (auto* menu = qobject_cast<QMenu*>(action->parent()))
            return new CheckMenuItem(menu, action);
    }
    if (className == QLatin1String("frmMain"))
        return new WindowAccessible(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String("frmAlarm"))
        return new WindowAccessible(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    if (QAccessibleInterface* list = ZoneList::accessibleFor(className, object))
        return list;
    if (QAccessibleInterface* frame = ClockFrame::accessibleFor(className, object))
        return frame;
    if (QAccessibleInterface* time = TimeLabel::accessibleFor(className, object))
        return time;
    return SoundBox::accessibleFor(className, object);
}

} // namespace

void installAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(ourRoles);
        return true;
    }();
    (void)installed;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Accessibility.h"

#include "ClockFrame.h"
#include "SoundBox.h"
#include "ZoneList.h"
#include "frmAlarm.h"

#include <QAccessibleWidget>

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

QAccessibleInterface* ourRoles(const QString& className, QObject* object) {
    if (className == QLatin1String("frmMain"))
        return new WindowAccessible(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String("frmAlarm"))
        return new WindowAccessible(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    if (QAccessibleInterface* list = ZoneList::accessibleFor(className, object))
        return list;
    if (QAccessibleInterface* frame = ClockFrame::accessibleFor(className, object))
        return frame;
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

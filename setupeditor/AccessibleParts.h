// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QPointer>
#include <QWidget>

#include <map>

// A part of a widget that is no object of its own (a list's row, a menu's item, a calendar's
// day), for a screen reader: no children, and the widget's window and interface as its own.
class AccessiblePart : public QAccessibleInterface {
public:
    explicit AccessiblePart(QWidget* widget) : m_widget(widget) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return m_widget ? m_widget->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_widget.data());
    }
    QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
    QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text /*kind*/, const QString& /*text*/) override {}

private:
    QPointer<QWidget> m_widget;
};

// A widget's parts by number, each made when first asked for and registered once, so that a
// reader gets the same one every time; unregistered with the widget's own interface.
class AccessibleParts {
public:
    AccessibleParts() = default;
    AccessibleParts(const AccessibleParts&) = delete;
    AccessibleParts& operator=(const AccessibleParts&) = delete;
    ~AccessibleParts() {
        for (const auto& [index, id] : m_ids)
            QAccessible::deleteAccessibleInterface(id);
    }

    template <typename Make> QAccessibleInterface* at(int index, Make make) const {
        auto found = m_ids.find(index);
        if (found == m_ids.end())
            found = m_ids.emplace(index, QAccessible::registerAccessibleInterface(make())).first;
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOf(const QAccessibleInterface* part) const {
        for (const auto& [index, id] : m_ids) {
            if (QAccessible::accessibleInterface(id) == part)
                return index;
        }
        return -1;
    }

private:
    mutable std::map<int, QAccessible::Id> m_ids;
};

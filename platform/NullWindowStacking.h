#pragma once

#include "WindowStacking.h"

#include <QHash>

#include <optional>

// Window stacking for tests: changes nothing on screen and remembers what was asked.
class NullWindowStacking final : public WindowStacking {
public:
    void setTopMost(QWidget* window, bool topMost) override {
        ++m_calls;
        m_states.insert(window, topMost);
    }

    // The state last asked for the window, or nothing when it was never asked.
    std::optional<bool> topMost(const QWidget* window) const {
        const auto found = m_states.constFind(window);
        return found == m_states.cend() ? std::nullopt : std::optional<bool>(*found);
    }
    int callCount() const { return m_calls; }

private:
    // Keys are only compared, never followed, so a window deleted since does no harm.
    QHash<const QWidget*, bool> m_states;
    int m_calls = 0;
};

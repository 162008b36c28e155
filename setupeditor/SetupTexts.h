// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

// The editor's fixed texts: captions, the keys it alone uses, and its messages.
namespace setuptexts {

inline constexpr int kWhenCount = 5;
// The repeat rules by When index, as stored under "When".
inline constexpr std::array<const char*, kWhenCount> kWhenCaptions = {
    "Never (off)", "Every Day", "Week-End", "Week Days", "Once"};
inline constexpr int kWhenOnce = 4;

// A current setup of this name is never looked for in the list.
inline const QString kNoSetup = QStringLiteral("No Setup");

inline const QString kEditorTop = QStringLiteral("sTop");
inline const QString kEditorLeft = QStringLiteral("sLeft");
inline const QString kPickerLeft = QStringLiteral("MonthView.Left");
inline const QString kPickerTop = QStringLiteral("MonthView.top");

inline const QString kZoneQuestion = QStringLiteral("Do you really want to change the time zone?");
inline const QString kNewSetupQuestion =
    QStringLiteral("This is a new Setup. Do you want to add it?");
inline const QString kDeleteQuestion =
    QStringLiteral("Are you sure you want to delete this setting from the registry?");
inline const QString kOnceMessage =
    QStringLiteral("When choosing to run the Alarm once, you must enter Date/Time,\nFormat as in ");
inline const QString kEmptyName =
    QStringLiteral("Please type a name for the setup: an empty name cannot be stored.");
inline const QString kReservedName =
    QStringLiteral("The name Settings is reserved for the clock's own settings. "
                   "Please choose another name for the setup.");

inline const QString kListFull =
    QStringLiteral("There are 32767 setups, the most the clock can keep. Please delete one "
                   "before adding another.");

inline QString cannotRemove(const QString& name) {
    return QStringLiteral("Cannot remove ") + name + QStringLiteral(" from registry");
}

} // namespace setuptexts

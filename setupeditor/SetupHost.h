// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// What the setup editor needs of the main window: the current setup name, which the editor
// sets on Save, OK and Delete, the Other zone shown there, which Save copies into a setup, and
// the Local zone shown there, in which the editor takes alarm times.
class SetupHost {
public:
    virtual ~SetupHost() = default;
    virtual QString currSetup() const = 0;
    virtual void setCurrSetup(const QString& name) = 0;
    virtual int otherIndex() const = 0; // selected row of lstTimeZoneOther, -1 when none
    virtual int otherDST() const = 0;   // 0 or 1
    virtual int otherHalf() const = 0;  // 0 or 1
    virtual int localIndex() const = 0; // selected row of lstTimeZoneLocal, -1 when none
    virtual int localHalf() const = 0;  // 0 or 1
};

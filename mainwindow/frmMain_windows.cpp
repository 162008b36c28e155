// SPDX-License-Identifier: GPL-3.0-or-later
// Commands that open the program's other windows.
#include "frmMain.h"

#include "WindowStacking.h"
#include "frmPic.h"
#include "frmSetup.h"

void frmMain::mnViewMap_Click()
{
    showMapViewer(m_services.messages, this);
}

void frmMain::mnSetup_Click()
{
    m_setupEditorOpen = true;
    // Out of the top-most layer at once, not at the next tick, so the modal editor is never
    // hidden behind the clock.
    m_services.stacking.setTopMost(this, false);
    {
        frmSetup editor(m_services, *this, this);
        // Modal to the clock only: an alarm notice, a window of its own, stays usable.
        editor.setWindowModality(Qt::WindowModal);
        editor.exec();
    }
    m_setupEditorOpen = false;
    DoMRU(m_currSetup);
    ReadAlarms();
    RefreshSettings();
}

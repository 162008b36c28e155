// Commands whose windows live in other libraries.
#include "frmMain.h"

void frmMain::mnViewMap_Click() {}

void frmMain::mnSetup_Click()
{
    m_setupEditorOpen = true;
    m_setupEditorOpen = false;
    DoMRU(m_currSetup);
    ReadAlarms();
    RefreshSettings();
}

#include "Clock.h"
#include "Fonts.h"
#include "IniSettingsStore.h"
#include "QtMessageBoxes.h"
#include "QtSoundPlayer.h"
#include "QtWindowStacking.h"
#include "Services.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Meridex"));
    QApplication::setApplicationName(QStringLiteral("Meridex"));
    QApplication::setApplicationVersion(frmMain::AppVersion().mid(1));
    installFontSubstitutions();

    SystemClock clock;
    IniSettingsStore store;
    QtMessageBoxes messages;
    QtWindowStacking stacking;
    QtSoundPlayer sound;
    Services services{clock, store, messages, stacking, sound};

    frmMain window(services);
    if (!window.Form_Load())
        return 0;
    window.show();
    return QApplication::exec();
}

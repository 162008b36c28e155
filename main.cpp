#include "Clock.h"
#include "Fonts.h"
#include "IniSettingsStore.h"
#include "QtMessageBoxes.h"
#include "QtWindowStacking.h"
#include "Services.h"
#include "SoundModulePlayer.h"
#include "TerminationSignals.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Meridex"));
    QApplication::setApplicationName(QStringLiteral("Meridex"));
    QApplication::setApplicationVersion(frmMain::AppVersion().mid(1));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.meridex_clock.Meridex"));
    installFontSubstitutions();

    SystemClock clock;
    IniSettingsStore store;
    QtMessageBoxes messages;
    QtWindowStacking stacking;
    SoundModulePlayer sound(SoundModulePlayer::installedFolders());
    Services services{clock, store, messages, stacking, sound};

    frmMain window(services);
    if (!window.Form_Load())
        return 0;
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window,
                     &QWidget::close);
    window.show();
    return QApplication::exec();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "Clock.h"
#include "CommandLine.h"
#include "DisplayOpening.h"
#include "Fonts.h"
#include "IniSettingsStore.h"
#include "ModalFocus.h"
#include "PlatformChoice.h"
#include "QtMessageBoxes.h"
#include "QtWindowStacking.h"
#include "Services.h"
#include "SessionBus.h"
#include "SingleInstance.h"
#include "SoundModulePlayer.h"
#include "TerminationSignals.h"
#include "X11SendBuffer.h"
#include "frmMain.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    // --help, --version, a wrong option and the want of any display are answered before Qt
    // would need a display.
    if (const std::optional<int> status = answerBeforeStart(argc, argv))
        return *status;
    // A person's own QT_QPA_PLATFORM wins; else X through XWayland when it is there (see
    // PlatformChoice.h). Wayland alone is left to Qt.
    const QByteArray platform =
        platformToForce(qEnvironmentVariableIsSet("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"),
                        qgetenv("DISPLAY"), localXServerAnswers);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    // Each second the clock repaints two small labels. Over X11 shared memory, Qt waits for the
    // X server to release the image before painting into it again: a round trip that wakes the
    // program a third time every second. Sending those few kilobytes through the socket costs
    // less. A setting of the user's own wins.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // The desktop's token for this start; Qt takes the X11 one out of the environment.
    const QString activationToken =
        qEnvironmentVariable("XDG_ACTIVATION_TOKEN", qEnvironmentVariable("DESKTOP_STARTUP_ID"));
    FontconfigWarmUp fonts;
    const bool noBusSet = sessionbus::keepFromAutolaunching();
    DisplayOpening opening;
    QApplication app(argc, argv);
    opening.opened();
    if (noBusSet)
        sessionbus::adoptDisplayBus();
    QApplication::setOrganizationName(QStringLiteral("Meridex"));
    QApplication::setApplicationName(QStringLiteral("Meridex"));
    QApplication::setApplicationVersion(frmMain::AppVersion().mid(1));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.meridex_clock.Meridex"));
    // One clock per person and display: a second start brings the first forward and ends.
    SingleInstance instance;
    if (!instance.claim(activationToken)) {
        // A clock holds the display but did not come forward: never end unseen and unheard.
        if (const QString problem = instance.problem(); !problem.isEmpty()) {
            std::fprintf(stderr, "meridex: %s\n", qPrintable(problem));
            fonts.finish();
            QtMessageBoxes().inform(nullptr, problem);
            return 1;
        }
        return 0;
    }
    // The first window measures text: Fontconfig must be loaded by then (see Fonts.h).
    fonts.finish();
    installFontSubstitutions();
    widenX11SendBuffer();
    passKeyboardToModalWindows(app);

    SystemClock clock;
    IniSettingsStore store;
    QtMessageBoxes messages;
    QtWindowStacking stacking;
    SoundModulePlayer sound(SoundModulePlayer::installedFolders());
    Services services{clock, store, messages, stacking, sound};

    frmMain window(services);
    if (!window.Form_Load())
        return 0;
    QObject::connect(
        &instance, &SingleInstance::activationRequested, &window,
        [&window, &stacking](const QString& token) { stacking.bringToFront(&window, token); });
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::terminationRequested, &window,
                     &QWidget::close);
    window.show();
    // Decoding the icon (and Qt's look through its image plug-ins first) waits until the window
    // is up; the window manager takes the icon when it comes.
    QTimer::singleShot(0, &window, [] {
        // Read as BMP and nothing else, by Qt's own reader: otherwise Qt loads every image
        // plug-in it has (JPEG among them) to ask whether it reads the file better.
        QImageReader icon(QStringLiteral(":/meridex-icon.bmp"), "bmp");
        icon.setAutoDetectImageFormat(false);
        QApplication::setWindowIcon(QPixmap::fromImage(icon.read()));
    });
    return QApplication::exec();
}

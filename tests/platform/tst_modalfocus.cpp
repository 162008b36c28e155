// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard given to a window under an open dialog of its own goes on to that dialog: some
// managers give it to the main window when a dialog over the editor closes (xfwm4).
#include "ModalFocus.h"

#include <QApplication>
#include <QDialog>
#include <QTest>

class TestModalFocus : public QObject {
    Q_OBJECT

private slots:
    void keyboardGoesOnToTheDialog() {
        passKeyboardToModalWindows(*qApp);
        QWidget clock;
        clock.show();
        QDialog editor(&clock);
        editor.setWindowModality(Qt::WindowModal);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        clock.activateWindow();            // as the manager does
        QCoreApplication::processEvents(); // the clock has it
        QTRY_COMPARE(QGuiApplication::focusWindow(), editor.windowHandle());
    }
};

QTEST_MAIN(TestModalFocus)
#include "tst_modalfocus.moc"

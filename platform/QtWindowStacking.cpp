#include "QtWindowStacking.h"

#include <QWidget>
#include <QWindow>

void QtWindowStacking::setTopMost(QWidget* window, bool topMost) {
    if (window == nullptr)
        return;
    QWindow* const handle = window->windowHandle();
    if (handle == nullptr)
        return;
    // The state is asked for on every tick; telling the window manager only about changes keeps
    // that free. Reading the flag from the QWindow (not a copy kept here) also covers a window
    // that was recreated without it.
    if (handle->flags().testFlag(Qt::WindowStaysOnTopHint) == topMost)
        return;
    handle->setFlag(Qt::WindowStaysOnTopHint, topMost);
}

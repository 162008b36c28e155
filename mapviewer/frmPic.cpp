// SPDX-License-Identifier: GPL-3.0-or-later
#include "frmPic.h"

#include "MapLayout.h"
#include "MapScrollBar.h"
#include "MessageBoxes.h"
#include "RuntimeError.h"

#include <QApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <exception>
#include <utility>

namespace {

QString readerError(const QImageReader& reader) {
    return reader.error() == QImageReader::UnknownError ? QStringLiteral("Invalid picture")
                                                        : reader.errorString();
}

// The client size that keeps the whole window, title bar and border included, on the screen's
// free area. The window manager tells this window's frame only once it is shown, and a sizable
// window's frame can be thicker than the main window's fixed one: twice the main window's frame
// is kept free for it.
QSize roomOnScreen(const QWidget* parent) {
    const QWidget* main = parent != nullptr ? parent->window() : nullptr;
    const QScreen* screen = main != nullptr ? main->screen() : QGuiApplication::primaryScreen();
    QSize room = screen->availableGeometry().size();
    if (main != nullptr)
        room -= 2 * (main->frameGeometry().size() - main->size());
    return room;
}

} // namespace

QImage loadMapPicture(const QString& path) {
    // A named pipe or a device would make the reader wait for data and freeze the window.
    const QFileInfo info(path);
    if (!info.exists())
        throw RuntimeError(QStringLiteral("File not found"));
    if (!info.isFile())
        throw RuntimeError(QStringLiteral("Not a picture file"));
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid())
        throw RuntimeError(readerError(reader));

    // Decoding would refuse such a picture too, but only after a warning on the console and
    // with a vaguer error; the header already tells.
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    const int limitMegabytes = QImageReader::allocationLimit();
    if (limitMegabytes > 0 && bytes > qint64(limitMegabytes) * 1024 * 1024)
        throw RuntimeError(QStringLiteral("Picture too large (%1 x %2 pixels)")
                               .arg(size.width())
                               .arg(size.height()));

    QImage image = reader.read();
    if (image.isNull())
        throw RuntimeError(readerError(reader));
    return image;
}

frmPic::frmPic(MessageBoxes& messages, QWidget* parent, QString picturePath)
    : QDialog(parent), m_messages(messages), m_picturePath(std::move(picturePath)) {
    setObjectName(QStringLiteral("frmPic"));
    setWindowTitle(QStringLiteral("Time Zone Map"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);

    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setCursor(Qt::OpenHandCursor);

    Picture2 = new QLabel(Picture1);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setFrameShape(QFrame::NoFrame);
    Picture2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Picture2->setGeometry(0, 0, 0, 0);

    HScroll1 = new MapScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    VScroll1 = new MapScrollBar(Qt::Vertical, this);
    VScroll1->setObjectName(QStringLiteral("VScroll1"));
    // Until the picture is in, there is nothing to scroll.
    HScroll1->hide();
    VScroll1->hide();
    connect(HScroll1, &QScrollBar::valueChanged, this, &frmPic::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmPic::VScroll1_Change);

    resize(kOpeningClientSize.boundedTo(roomOnScreen(parent)));
    Form_Load();
}

void frmPic::Form_Load() {
    try {
        const QPixmap picture = QPixmap::fromImage(loadMapPicture(m_picturePath));
        if (picture.isNull())
            throw RuntimeError(QStringLiteral("Out of memory"));
        Picture2->setPixmap(picture);
        Picture2->resize(picture.size());
        layOut();
        HScroll1->show();
        VScroll1->show();
        m_loaded = true;
    } catch (const RuntimeError& error) {
        // Shown as far as it was set up, and not modal: the caller's request for the modal
        // display then finds the window already up and leaves it be.
        show();
        m_messages.inform(this, error.description() + QStringLiteral(" in frmPic.Form_Load()"));
    }
}

void frmPic::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmPic::wheelEvent(QWheelEvent* event) {
    // A notch moves the picture as far as a notch scrolls any list: a few arrow steps.
    QPoint eighths = event->angleDelta();
    if (event->modifiers() & Qt::ShiftModifier)
        eighths = {eighths.x() + eighths.y(), 0};
    const int step = QApplication::wheelScrollLines() * VScroll1->singleStep();
    HScroll1->setScrollValue(HScroll1->scrollValue() - eighths.x() * step / 120);
    VScroll1->setScrollValue(VScroll1->scrollValue() - eighths.y() * step / 120);
}

void frmPic::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !Picture1->geometry().contains(event->pos())) {
        QDialog::mousePressEvent(event);
        return;
    }
    m_dragOrigin = event->globalPosition().toPoint() +
                   QPoint(HScroll1->scrollValue(), VScroll1->scrollValue());
    Picture1->setCursor(Qt::ClosedHandCursor);
}

void frmPic::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragOrigin) {
        QDialog::mouseMoveEvent(event);
        return;
    }
    // The picture follows the pointer.
    const QPoint values = *m_dragOrigin - event->globalPosition().toPoint();
    HScroll1->setScrollValue(values.x());
    VScroll1->setScrollValue(values.y());
}

void frmPic::mouseReleaseEvent(QMouseEvent* event) {
    if (m_dragOrigin && event->button() == Qt::LeftButton) {
        m_dragOrigin.reset();
        Picture1->setCursor(Qt::OpenHandCursor);
    }
    QDialog::mouseReleaseEvent(event);
}

void frmPic::Form_Resize() {
    try {
        layOut();
        // The vertical bar ends up with the focus, so that the arrow and page keys scroll
        // vertically.
        HScroll1->setFocus();
        VScroll1->setFocus();
        HScroll1->update();
        VScroll1->update();
        // Layout put the picture back at the corner; this returns it to the bars' values,
        // which the new maxima may have limited.
        HScroll1_Change();
        VScroll1_Change();
    } catch (const RuntimeError& error) {
        m_messages.inform(this, error.description() + QStringLiteral(" in Form_Resize()"));
    }
}

void frmPic::layOut() {
    const MapLayout layout = computeMapLayout(size(), barThickness(), Picture2->size());
    Picture1->setGeometry(layout.viewport);
    Picture2->move(0, 0);
    HScroll1->setGeometry(layout.horizontalBar);
    VScroll1->setGeometry(layout.verticalBar);
    HScroll1->setScrollMaximum(layout.horizontalMaximum());
    VScroll1->setScrollMaximum(layout.verticalMaximum());
}

void frmPic::HScroll1_Change() {
    Picture2->move(-HScroll1->scrollValue(), Picture2->y());
}

void frmPic::VScroll1_Change() {
    Picture2->move(Picture2->x(), -VScroll1->scrollValue());
}

int frmPic::barThickness() const {
    return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, HScroll1);
}

void showMapViewer(MessageBoxes& messages, QWidget* parent) {
    try {
        // Owned by the parent while open; destroyed when closed, as every window is.
        QPointer<frmPic> viewer = new frmPic(messages, parent);
        viewer->setAttribute(Qt::WA_DeleteOnClose);
        if (!viewer->loaded()) {
            // The user may have closed it while the message was up.
            if (!viewer->isVisible())
                viewer->deleteLater();
            return;
        }
        viewer->exec();
    } catch (const std::exception&) {
        // "View Map" carries on whatever happened.
    }
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

class MapScrollBar;
class MessageBoxes;
class QLabel;

// "Time Zone Map": the map picture in a viewport with a horizontal and a vertical scroll bar.
// Each opening loads the picture afresh at 571 x 509 pixels (less where the screen is smaller)
// with its top-left corner in view; nothing is stored. Besides the bars, the wheel scrolls the
// picture (sideways with Shift) and dragging it pans it. Each control has its name as objectName:
// Picture1 (the viewport, which clips), Picture2 (the picture, at its own size), HScroll1 and
// VScroll1.
class frmPic : public QDialog {
    Q_OBJECT

public:
    // Client area of a freshly opened window, in pixels.
    static constexpr QSize kOpeningClientSize{571, 509};

    // Runs Form_Load. A relative path is looked up in the current working directory. When the
    // picture cannot be loaded the window is shown at once (not modal) without the picture, and
    // the message box says why.
    explicit frmPic(MessageBoxes& messages, QWidget* parent = nullptr,
                    QString picturePath = QStringLiteral("TimeZoneMap.jpg"));

    // False when Form_Load stopped on an error; the window is then already shown.
    bool loaded() const { return m_loaded; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    void layOut();
    void HScroll1_Change();
    void VScroll1_Change();
    int barThickness() const;

    MessageBoxes& m_messages;
    QString m_picturePath;
    bool m_loaded = false;
    // While the picture is dragged: the pointer's global position plus the bars' values.
    std::optional<QPoint> m_dragOrigin;

    QWidget* Picture1 = nullptr;
    QLabel* Picture2 = nullptr;
    MapScrollBar* HScroll1 = nullptr;
    MapScrollBar* VScroll1 = nullptr;
};

// The main window's "View Map": opens the map viewer modally on "TimeZoneMap.jpg" of the
// current working directory and returns when it is closed. When the picture cannot be loaded
// the viewer stays open without being modal and this returns at once. Failures are ignored;
// the viewer reports its own.
void showMapViewer(MessageBoxes& messages, QWidget* parent);

// Decodes a picture for the viewer. Throws RuntimeError with the reason ("File not found", an
// unreadable or unsupported picture, or one whose pixels would exceed Qt's image allocation
// limit, which is checked from the header before anything is decoded).
QImage loadMapPicture(const QString& path);

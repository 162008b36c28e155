// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoundBox.h"

#include <QAccessibleWidget>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

class SoundBoxAccessible final : public QAccessibleWidget {
public:
    explicit SoundBoxAccessible(SoundBox* box) : QAccessibleWidget(box, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override {
        const auto* box = static_cast<const QLineEdit*>(widget());
        switch (kind) {
        case QAccessible::Name:
            return QStringLiteral("Select Sound File to play: ") +
                   (!box->text().isEmpty()              ? box->text()
                    : !box->placeholderText().isEmpty() ? box->placeholderText()
                                                        : QStringLiteral("none"));
        case QAccessible::Description:
            return box->toolTip();
        default:
            return QAccessibleWidget::text(kind);
        }
    }
    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction())
            emit static_cast<SoundBox*>(widget())->pressedByReader();
        else
            QAccessibleWidget::doAction(action);
    }
};

} // namespace

SoundBox::SoundBox(QWidget* parent) : QLineEdit(parent) {
    // Typed text was never read: the path comes from the chooser alone.
    setReadOnly(true);
}

QAccessibleInterface* SoundBox::accessibleFor(const QString& className, QObject* object) {
    if (className == QLatin1String("SoundBox"))
        return new SoundBoxAccessible(static_cast<SoundBox*>(object));
    return nullptr;
}

QSize SoundBox::minimumSizeHint() const {
    const QSize least = QLineEdit::minimumSizeHint();
    if (placeholderText().isEmpty())
        return least;
    QStyleOptionFrame option;
    initStyleOption(&option);
    static constexpr int kInnerMargin = 4; // what a line edit keeps between its frame and text
    const QMargins margins = textMargins();
    const QSize text(fontMetrics().horizontalAdvance(placeholderText()) + margins.left() +
                         margins.right() + kInnerMargin,
                     fontMetrics().height());
    return least.expandedTo(style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, this));
}

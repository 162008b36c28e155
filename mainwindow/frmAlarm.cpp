#include "frmAlarm.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

frmAlarm::frmAlarm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmAlarm"));
    setWindowTitle(QStringLiteral("Alarm"));
    setAttribute(Qt::WA_DeleteOnClose);
    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Text1);
    resize(300, 150);
}

void frmAlarm::showNotice(const QString& text) {
    // The alarm text separates names with CR LF; the text box wants plain line feeds.
    Text1->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // Shown even while a modal window of ours is open: it then takes no input until that
    // window closes, but the person sees at once which alarm rang.
    show();
    raise();
}

QString frmAlarm::text() const {
    return Text1->toPlainText();
}

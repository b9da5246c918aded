// A modal box with an OK button, waiting until the user closes it.
#include "QtMsgBox.h"

#include <QMessageBox>
#include <QString>

namespace {

QMessageBox::Icon IconOf(MsgBox::Icon icon) {
    switch (icon) {
    case MsgBox::Icon::Information:
        return QMessageBox::Information;
    case MsgBox::Icon::Critical:
        return QMessageBox::Critical;
    case MsgBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void QtMsgBox::Show(const std::string& text, Icon icon, const std::string& title) {
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(IconOf(icon), QString::fromStdString(title), body, QMessageBox::Ok, parent_);
    // A file's name or a line of it, shown as it is: markup in it must not become a heading or a
    // link in the editor's own message.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

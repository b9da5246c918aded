// A modal box with an OK button, waiting until the user closes it.
#include "QtMsgBox.h"

#include <QMessageBox>
#include <QString>

void QtMsgBox::Show(const std::string& text, Icon icon, const std::string& title) {
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(title), body, QMessageBox::Ok, parent_);
    // A file's name or a line of it, shown as it is: markup in it must not become a heading or a
    // link in the editor's own message.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

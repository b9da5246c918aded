// A modal box with an OK button, waiting until the user closes it.
#include "QtMsgBox.h"

#include <QMessageBox>
#include <QString>

void QtMsgBox::Show(const std::string& text, Icon icon, const std::string& title) {
    QString body = QString::fromStdString(text);
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon == Icon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                    QString::fromStdString(title), body, QMessageBox::Ok, parent_);
    box.exec();
}

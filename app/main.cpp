// Program start: the application, its message boxes and the main window, maximized.
#include "MsgBox.h"
#include "QtMsgBox.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QtMsgBox messages;
    MsgBox::Install(&messages);
    frmMain window;
    window.showMaximized();
    const int status = QApplication::exec();
    MsgBox::Install(nullptr);
    return status;
}

// Program start: the application, its message boxes and the main window, maximized.
#include "MsgBox.h"
#include "QtMsgBox.h"
#include "frmMain.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A termination request (SIGTERM, SIGINT) closes every window, an open dialog included, and so
// ends the program; the signal handler only writes to a pipe, and the event loop does the rest.
int quitPipe[2] = {-1, -1};

void RequestQuit(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const auto written = write(quitPipe[1], &byte, 1);
}

void QuitOnTermination(frmMain& window) {
    if (pipe2(quitPipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [] {
        // Drained, or the notifier would fire again and again while a dialog holds the program.
        char bytes[16];
        while (read(quitPipe[0], bytes, sizeof bytes) > 0) {
        }
        QApplication::closeAllWindows();
    });
    struct sigaction action {};
    action.sa_handler = RequestQuit;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QtMsgBox messages;
    MsgBox::Install(&messages);
    frmMain window;
    QuitOnTermination(window);
    window.showMaximized();
    const int status = QApplication::exec();
    MsgBox::Install(nullptr);
    return status;
}

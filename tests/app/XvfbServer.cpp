// Finding a free display number and waiting for the server's socket.
#include "XvfbServer.h"

#include <QFileInfo>
#include <QThread>

namespace {

constexpr int kFirstDisplay = 90;
constexpr int kLastDisplay = 130;
constexpr int kStartWaitMs = 10000;
constexpr int kPollMs = 50;

bool DisplayTaken(int n) {
    return QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
           QFileInfo::exists(QStringLiteral("/tmp/.X%1-lock").arg(n));
}

} // namespace

bool XvfbServer::start(int width, int height) {
    for (int n = kFirstDisplay; n <= kLastDisplay; ++n) {
        if (DisplayTaken(n)) {
            continue;
        }
        const QString number = QString::number(n);
        server_.setProgram(QStringLiteral("Xvfb"));
        server_.setArguments(
            {QStringLiteral(":") + number, QStringLiteral("-screen"), QStringLiteral("0"),
             QStringLiteral("%1x%2x24").arg(width).arg(height), QStringLiteral("-br"),
             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start();
        if (!server_.waitForStarted()) {
            return false;
        }
        for (int waited = 0; waited < kStartWaitMs; waited += kPollMs) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + number)) {
                display_ = QStringLiteral(":") + number;
                return true;
            }
            if (server_.state() != QProcess::Running) {
                break; // taken by a server started meanwhile; try the next number
            }
            QThread::msleep(kPollMs);
        }
        stop();
    }
    return false;
}

void XvfbServer::stop() {
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        if (!server_.waitForFinished(3000)) {
            server_.kill();
            server_.waitForFinished();
        }
    }
}

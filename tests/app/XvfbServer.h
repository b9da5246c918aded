// A private X server for the tests that need a real display.
#pragma once

#include <QProcess>
#include <QString>

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts Xvfb on the first free display from :90 and waits until it takes connections.
    bool start(int width, int height);
    void stop();
    QString display() const { return display_; }

private:
    QProcess server_;
    QString display_;
};

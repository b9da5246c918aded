// The real program under a real X server: its window appears with the four views, black, and it
// ends cleanly when asked to. Also takes the screenshot of a loaded model shown in the README.
#include "XvfbServer.h"

#include "MsgBox.h"
#include "frmMain.h"
#include "mObj.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <optional>

namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kAppearWaitMs = 20000;
constexpr QRgb kBlackPixel = 0xFF000000u;

// Inner areas of the views relative to the front view's first inner pixel, in the stored layout
// (each view's inner area is 453 x 341 inside a 2-pixel border).
struct ViewArea {
    const char* name;
    int dx;
    int dy;
};
constexpr ViewArea kViews[] = {
    {"front", 0, 0}, {"left", 456, 0}, {"top", 0, 344}, {"perspective", 456, 344}};
constexpr int kInnerWidth = 453;
constexpr int kInnerHeight = 341;
// The caption labels sit in each view's top-left corner.
constexpr int kCaptionWidth = 125;
constexpr int kCaptionHeight = 20;

QImage GrabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// The first inner pixel of the front view: the first black pixel below the menu bar, along a
// column through the front view, right of a tool panel that is not black.
std::optional<QPoint> FindFrontView(const QImage& shot) {
    int left = -1;
    for (int x = 0; x < shot.width() && left < 0; ++x) {
        for (int y = 0; y < shot.height(); y += 4) {
            if (shot.pixel(x, y) != kBlackPixel) {
                left = x;
                break;
            }
        }
    }
    if (left < 0) {
        return std::nullopt;
    }
    const int column = left + 104 + 200;
    for (int y = 0; y < shot.height(); ++y) {
        if (shot.pixel(column, y) == kBlackPixel && shot.pixel(left + 50, y) != kBlackPixel) {
            // Walk left to the border of the view.
            int x = column;
            while (x > left && shot.pixel(x - 1, y + 30) == kBlackPixel) {
                --x;
            }
            return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// Black everywhere but under the caption.
bool ViewIsBlack(const QImage& shot, QPoint origin, const ViewArea& view) {
    const QRect area(origin.x() + view.dx, origin.y() + view.dy, kInnerWidth, kInnerHeight);
    if (!shot.rect().contains(area)) {
        return false;
    }
    for (int y = area.top() + 2; y <= area.bottom() - 2; ++y) {
        for (int x = area.left() + 2; x <= area.right() - 2; ++x) {
            const bool underCaption =
                x < area.left() + kCaptionWidth && y < area.top() + kCaptionHeight;
            if (!underCaption && shot.pixel(x, y) != kBlackPixel) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST(Smoke, Program_ShowsFourBlackViewsAndEndsCleanly) {
    QProcess program;
    program.setProgram(QStringLiteral(TESSALY_PROGRAM));
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start();
    ASSERT_TRUE(program.waitForStarted(5000));

    QElapsedTimer timer;
    timer.start();
    std::optional<QPoint> front;
    QImage shot;
    bool allBlack = false;
    while (timer.elapsed() < kAppearWaitMs && !allBlack) {
        QThread::msleep(200);
        shot = GrabScreen();
        front = FindFrontView(shot);
        allBlack = front.has_value();
        for (const ViewArea& view : kViews) {
            allBlack = allBlack && ViewIsBlack(shot, *front, view);
        }
        ASSERT_EQ(program.state(), QProcess::Running) << "the program ended by itself";
    }
    shot.save(QStringLiteral(SMOKE_OUTPUT_DIR "/smoke-start.png"));
    ASSERT_TRUE(front.has_value()) << "no window appeared; see smoke-start.png";
    for (const ViewArea& view : kViews) {
        EXPECT_TRUE(ViewIsBlack(shot, *front, view)) << view.name << " view; see smoke-start.png";
    }

    program.terminate(); // SIGTERM: the program closes its window and returns
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
}

// The README's picture: the star example in all four views, grabbed from the X server.
TEST(Smoke, Screenshot_OfALoadedModel) {
    frmMain window;
    window.move(0, 0);
    window.show();
    Obj().LoadFileEx(TESSALY_EXAMPLES_DIR "/star.G3D");
    window.chkPres->setChecked(true);
    window.chkLeft->setChecked(true);
    window.chkTop->setChecked(true);
    Obj().RotateXYZ(20, 30, 0);
    window.mnuRefresh_Click();
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    const QImage shot = GrabScreen().copy(window.frameGeometry());
    ASSERT_TRUE(shot.save(QStringLiteral(SMOKE_OUTPUT_DIR "/screenshot.png")));
    const auto front = FindFrontView(shot);
    ASSERT_TRUE(front.has_value());
    for (const ViewArea& view : kViews) {
        EXPECT_FALSE(ViewIsBlack(shot, *front, view)) << view.name << " view shows nothing";
    }
}

int main(int argc, char* argv[]) {
    testing::InitGoogleTest(&argc, argv);
    XvfbServer server;
    if (!server.start(kScreenWidth, kScreenHeight)) {
        std::cerr << "could not start Xvfb\n";
        return EXIT_FAILURE;
    }
    qputenv("DISPLAY", server.display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int status = EXIT_FAILURE;
    {
        QApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    server.stop();
    return status;
}

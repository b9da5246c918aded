// The view widget: shows a RasterCanvas inside a sunken border and reports mouse and key events
// with the button, shift and key codes the editor's handlers work with.
#pragma once

#include "Canvas.h"
#include "RasterCanvas.h"

#include <QFrame>
#include <cstdint>
#include <span>

class PictureBox : public QFrame, public Canvas {
    Q_OBJECT

public:
    // Button codes (Button, a mask in MouseMove) and shift codes (Shift, a mask).
    static constexpr int16_t kLeftButton = 1;
    static constexpr int16_t kRightButton = 2;
    static constexpr int16_t kMiddleButton = 4;
    static constexpr int16_t kShiftMask = 1;
    static constexpr int16_t kCtrlMask = 2;
    static constexpr int16_t kAltMask = 4;
    // Key codes; keys without a code of their own arrive as 0.
    static constexpr int16_t kKeyShift = 16;
    static constexpr int16_t kKeyCtrl = 17;
    static constexpr int16_t kKeyLeft = 37;
    static constexpr int16_t kKeyUp = 38;
    static constexpr int16_t kKeyRight = 39;
    static constexpr int16_t kKeyDown = 40;
    // Width of the sunken border on each side.
    static constexpr int kBorder = 2;

    explicit PictureBox(QWidget* parent = nullptr);

    void ForeColor(uint32_t colour) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Lines(std::span<const Segment> segments) override;
    void Cls() override;
    int ScaleWidth() const override;
    int ScaleHeight() const override;

    const RasterCanvas& raster() const;

    // The pixel buffer at the widget's size, for drawing from a thread other than the GUI thread
    // while the GUI thread waits; Drawn() then asks, on the GUI thread, for the repaint and tells
    // assistive technology.
    RasterCanvas& Surface();
    void Drawn();

    static int16_t ButtonCode(Qt::MouseButtons buttons);
    static int16_t ShiftCode(Qt::KeyboardModifiers modifiers);
    static int16_t KeyCode(int qtKey);

signals:
    void MouseDown(int16_t Button, int16_t Shift, float X, float Y);
    void MouseMove(int16_t Button, int16_t Shift, float X, float Y);
    void KeyDown(int16_t KeyCode, int16_t Shift);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void changed() {
        if (!repaintPending_) {
            requestRepaint();
        }
    }
    void requestRepaint();
    // Qt holds back resize events of hidden widgets; the canvas follows the size on every use.
    void followSize() const {
        if (size() != followed_) {
            followNewSize();
        }
    }
    void followNewSize() const;
    QPointF drawingAreaPos(const QMouseEvent* event) const;

    mutable RasterCanvas raster_;
    // The widget size the canvas last followed; invalid when the margins change.
    mutable QSize followed_;
    bool repaintPending_ = false;
};

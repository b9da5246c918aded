// The drawing surface the model draws on: a colour, straight segments, clearing and a size.
#pragma once

#include <cstdint>

class Canvas {
public:
    virtual ~Canvas() = default;

    // Colour of the segments drawn after this call, as 0x00BBGGRR (low byte red).
    virtual void ForeColor(uint32_t colour) = 0;
    // A one-pixel segment in view coordinates; whatever lies outside the view is clipped.
    virtual void Line(float x1, float y1, float x2, float y2) = 0;
    // Fills the whole view with the background colour, black.
    virtual void Cls() = 0;
    // Inner drawing area in pixels.
    virtual int ScaleWidth() const = 0;
    virtual int ScaleHeight() const = 0;

protected:
    Canvas() = default;
    Canvas(const Canvas&) = default;
    Canvas& operator=(const Canvas&) = default;
};

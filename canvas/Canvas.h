// The drawing surface the model draws on: a colour, straight segments, clearing and a size.
#pragma once

#include <cstdint>
#include <span>

class Canvas {
public:
    // A segment in view coordinates with the colour it is drawn in, as 0x00BBGGRR.
    struct Segment {
        float x1, y1, x2, y2;
        uint32_t colour;
    };

    virtual ~Canvas() = default;

    // Colour of the segments drawn after this call, as 0x00BBGGRR (low byte red).
    virtual void ForeColor(uint32_t colour) = 0;
    // A one-pixel segment in view coordinates; whatever lies outside the view is clipped.
    virtual void Line(float x1, float y1, float x2, float y2) = 0;
    // Draws the segments in order, each as ForeColor and Line would, so the last one's colour is
    // the fore colour afterwards. Canvases that can draw many segments at once faster override it.
    virtual void Lines(std::span<const Segment> segments) {
        for (const Segment& s : segments) {
            ForeColor(s.colour);
            Line(s.x1, s.y1, s.x2, s.y2);
        }
    }
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

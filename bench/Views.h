// The window's four views and the drawing it does on them, reduced to what touches the canvases:
// the full redraw with every view's box checked, and the erase-turn-draw step of the rotate tool.
#pragma once

#include "Canvas.h"
#include "Colours.h"
#include "c3dObj.h"

#include <cstdint>

namespace benchviews {

// The four canvases in the window's roles.
struct Views {
    Canvas& pic;      // front
    Canvas& picLeft;  // left
    Canvas& picTop;   // top
    Canvas& picPresp; // perspective
};

// Four canvases of one kind, one per view.
template <typename C> struct FourCanvases {
    FourCanvases(int width, int height)
        : pic(width, height), picLeft(width, height), picTop(width, height),
          picPresp(width, height) {}

    Views views() { return Views{pic, picLeft, picTop, picPresp}; }

    C pic;
    C picLeft;
    C picTop;
    C picPresp;
};

// The front view and every checked view in colours c and p, without clearing: the window's
// partial redraw with all three boxes checked.
inline void DrawViews(const c3dObj& obj, const Views& v, uint32_t c, uint32_t p) {
    obj.DrawFrontView(v.pic, c, p);
    obj.DrawPrespectiveView(v.picPresp, c, p);
    obj.DrawLeftView(v.picLeft, c, p);
    obj.DrawTopView(v.picTop, c, p);
}

// The window's full redraw with all three boxes checked: clear the four views in the window's
// order, then draw them in green lines and yellow markers.
inline void FullRedraw(const c3dObj& obj, const Views& v) {
    v.pic.Cls();
    v.picTop.Cls();
    v.picLeft.Cls();
    v.picPresp.Cls();
    DrawViews(obj, v, kGreen, kYellow);
}

// One step of dragging with the rotate tool: the drawing on the views is drawn again in black,
// the model turns a degree about y and a degree about x, and is drawn again in colour.
inline void DragStep(c3dObj& obj, const Views& v) {
    DrawViews(obj, v, kBlack, kBlack);
    obj.RotateXYZ(0.0f, 1.0f, 0.0f);
    obj.RotateXYZ(1.0f, 0.0f, 0.0f);
    DrawViews(obj, v, kGreen, kYellow);
}

} // namespace benchviews

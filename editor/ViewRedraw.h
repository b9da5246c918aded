// Drawing the model into the views the window shows, the views side by side on every core: the
// one redraw routine of the window's full redraw, its interactive steps and the benchmarks.
#pragma once

#include "c3dObj.h"

#include <cstddef>
#include <cstdint>
#include <functional>

class Canvas;

// The four canvases in the window's roles.
struct ViewCanvases {
    Canvas& front;
    Canvas& left;
    Canvas& top;
    Canvas& presp;
};

// Which of the left, perspective and top views are drawn; the front view always is.
struct ShownViews {
    bool presp = false;
    bool left = false;
    bool top = false;
};

// The threads a redraw draws on, the calling thread among them: one per core the machine has.
std::size_t RedrawThreads();

// Fills every view with the background, shown or not, in the order front, top, left, perspective.
void ClearViews(const ViewCanvases& views);

// Draws the front view, then the shown perspective, left and top views, lines in c and markers in
// p, without clearing. Each view is drawn whole and in order by one thread, on a canvas no other
// thread touches; the views run in parallel, one thread per core: the front view on the calling
// thread, and afterFront runs there as soon as the front view is drawn, the others taken in turn
// by whichever thread is free. A view that cannot be drawn (a point the
// perspective cannot project) stops alone: the other views are drawn all the same, and then its
// failure is rethrown to the caller.
void DrawShownViews(const c3dObj& model, const ViewCanvases& views, ShownViews shown, uint32_t c,
                    uint32_t p, const std::function<void()>& afterFront = {});

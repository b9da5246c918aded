// Four canvases of one kind in the window's roles, and the two drawings the benchmarks time on
// them. Both draw through DrawShownViews, the routine the window draws with, so the views are
// drawn in its order and on its threads.
#pragma once

#include "Colours.h"
#include "ViewRedraw.h"
#include "c3dObj.h"

namespace benchviews {

// Every view's box checked: the front view and all three others drawn.
inline constexpr ShownViews kAllShown{true, true, true};

template <typename C> struct FourCanvases {
    template <typename... Args>
    explicit FourCanvases(const Args&... args)
        : front(args...), left(args...), top(args...), presp(args...) {}

    ViewCanvases canvases() { return ViewCanvases{front, left, top, presp}; }

    C front;
    C left;
    C top;
    C presp;
};

// The full redraw with every view shown: the four views cleared in the window's order, then
// drawn in green lines and yellow markers.
inline void FullRedraw(const c3dObj& model, const ViewCanvases& views) {
    ClearViews(views);
    DrawShownViews(model, views, kAllShown, kGreen, kYellow);
}

// One step of dragging with the rotate tool: the drawing on the views is drawn again in black,
// the model turns a degree about y and a degree about x, and is drawn again in colour.
inline void DragStep(c3dObj& model, const ViewCanvases& views) {
    DrawShownViews(model, views, kAllShown, kBlack, kBlack);
    model.RotateXYZ(0.0f, 1.0f, 0.0f);
    model.RotateXYZ(1.0f, 0.0f, 0.0f);
    DrawShownViews(model, views, kAllShown, kGreen, kYellow);
}

} // namespace benchviews

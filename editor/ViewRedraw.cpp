// The views other than the front one run on Qt's global thread pool; their failures come back as
// exception pointers, since a pool thread must not let an exception escape.
#include "ViewRedraw.h"

#include "Canvas.h"

#include <QFuture>
#include <QtConcurrent/QtConcurrentRun>

#include <array>
#include <exception>

namespace {

using Draw = void (c3dObj::*)(Canvas&, uint32_t, uint32_t) const;

// A view drawn on a pool thread, and its failure, kept for the caller.
struct OtherView {
    bool shown;
    Draw draw;
    Canvas& canvas;
    QFuture<void> done{};
    std::exception_ptr failure{};
};

} // namespace

void DrawShownViews(const c3dObj& model, const ViewCanvases& views, ShownViews shown, uint32_t c,
                    uint32_t p, const std::function<void()>& afterFront) {
    std::array<OtherView, 3> others{{
        {shown.presp, &c3dObj::DrawPrespectiveView, views.presp},
        {shown.left, &c3dObj::DrawLeftView, views.left},
        {shown.top, &c3dObj::DrawTopView, views.top},
    }};
    for (OtherView& view : others) {
        if (view.shown) {
            view.done = QtConcurrent::run([&model, &view, c, p] {
                try {
                    (model.*view.draw)(view.canvas, c, p);
                } catch (...) {
                    view.failure = std::current_exception();
                }
            });
        }
    }
    std::exception_ptr failure;
    try {
        model.DrawFrontView(views.front, c, p);
        if (afterFront) {
            afterFront();
        }
    } catch (...) {
        failure = std::current_exception();
    }
    for (OtherView& view : others) {
        view.done.waitForFinished();
        if (!failure) {
            failure = view.failure;
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

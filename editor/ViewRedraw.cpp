// The views other than the front one are shared out on standard threads started for the redraw
// and joined before it returns: ThreadSanitizer knows the ordering that start and join give, so
// it checks every access of the views' drawing without annotations. Failures come back as
// exception pointers, since a thread must not let an exception escape.
#include "ViewRedraw.h"

#include "Canvas.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <exception>
#include <thread>

namespace {

using Draw = void (c3dObj::*)(Canvas&, uint32_t, uint32_t) const;

// A view besides the front one, and its failure, kept for the caller.
struct OtherView {
    Draw draw;
    Canvas& canvas;
    std::exception_ptr failure{};
};

// The shown views besides the front one, in drawing order, each taken by whichever thread is
// free first. A fixed view per thread would leave one view to finish alone on one core while the
// others idle; taking them in turn keeps every thread busy until the last view is taken.
class ViewQueue {
public:
    void Add(OtherView& view) { views_[count_++] = &view; }
    std::size_t size() const { return count_; }

    void DrawAll(const c3dObj& model, uint32_t c, uint32_t p) {
        for (std::size_t i = next_++; i < count_; i = next_++) {
            OtherView& view = *views_[i];
            try {
                (model.*view.draw)(view.canvas, c, p);
            } catch (...) {
                view.failure = std::current_exception();
            }
        }
    }

private:
    std::array<OtherView*, 3> views_{};
    std::size_t count_ = 0;
    std::atomic<std::size_t> next_{0};
};

} // namespace

std::size_t RedrawThreads() {
    static const std::size_t cores = std::max(std::thread::hardware_concurrency(), 1U);
    return cores;
}

void ClearViews(const ViewCanvases& views) {
    for (Canvas* view : {&views.front, &views.top, &views.left, &views.presp}) {
        view->Cls();
    }
}

void DrawShownViews(const c3dObj& model, const ViewCanvases& views, ShownViews shown, uint32_t c,
                    uint32_t p, const std::function<void()>& afterFront) {
    std::array<OtherView, 3> others{{
        {&c3dObj::DrawPrespectiveView, views.presp},
        {&c3dObj::DrawLeftView, views.left},
        {&c3dObj::DrawTopView, views.top},
    }};
    const std::array<bool, 3> isShown{shown.presp, shown.left, shown.top};
    ViewQueue queue;
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (isShown[i]) {
            queue.Add(others[i]);
        }
    }
    // The calling thread draws too, so one thread fewer is started than there are cores, and none
    // past the views there are to share. The threads are joined when they go out of scope, before
    // the queue does, whatever happens below.
    const std::size_t helpers = std::min<std::size_t>(RedrawThreads() - 1, queue.size());
    std::array<std::jthread, 3> helping{};
    for (std::size_t h = 0; h < helpers; ++h) {
        helping[h] = std::jthread([&queue, &model, c, p] { queue.DrawAll(model, c, p); });
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
    queue.DrawAll(model, c, p);
    for (std::jthread& helper : helping) {
        if (helper.joinable()) {
            helper.join();
        }
    }
    for (const OtherView& view : others) {
        if (!failure) {
            failure = view.failure;
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

// The views other than the front one are shared out on Qt's global thread pool; their failures
// come back as exception pointers, since a pool thread must not let an exception escape.
#include "ViewRedraw.h"

#include "Canvas.h"

#include <QFuture>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <exception>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
// The runtime's calls that leave a thread's accesses unchecked; no installed header declares them.
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
extern "C" void AnnotateIgnoreWritesBegin(const char* file, int line);
extern "C" void AnnotateIgnoreWritesEnd(const char* file, int line);
#endif

namespace {

// Qt's libraries are not built with ThreadSanitizer, so it cannot see the ordering that
// QtConcurrent::run and waitForFinished give, and would take what the caller wrote before starting
// a helper, and what the helper wrote before waitForFinished returned, for races. Each side hands
// the queue over at its end and takes it over at its start, which states that ordering. The task
// QtConcurrent::run builds is read first by Qt's pool thread, before any of our code runs there,
// so no hand-over can cover it: building it goes unchecked. In any other build these do nothing.
#if defined(__SANITIZE_THREAD__)
void HandOver(void* queue) {
    __tsan_release(queue);
}
void TakeOver(void* queue) {
    __tsan_acquire(queue);
}
struct UncheckedInQt {
    UncheckedInQt() {
        AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
        AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
    }
    ~UncheckedInQt() {
        AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
        AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
    }
    UncheckedInQt(const UncheckedInQt&) = delete;
    UncheckedInQt& operator=(const UncheckedInQt&) = delete;
};
#else
void HandOver(void* /*queue*/) {}
void TakeOver(void* /*queue*/) {}
struct UncheckedInQt {};
#endif

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
    // The calling thread draws too, so the pool lends one thread fewer than it has: one thread per
    // core in all, and none past the views there are to share.
    const auto helpers = std::min<std::size_t>(
        static_cast<std::size_t>(std::max(QThreadPool::globalInstance()->maxThreadCount() - 1, 0)),
        queue.size());
    std::array<QFuture<void>, 3> helping{};
    // Whatever happens below, no helper is left running on the queue once it is gone.
    const struct WaitForHelpers {
        std::array<QFuture<void>, 3>& helping;
        ~WaitForHelpers() {
            for (QFuture<void>& helper : helping) {
                helper.waitForFinished();
            }
        }
    } waitForHelpers{helping};
    HandOver(&queue);
    for (std::size_t h = 0; h < helpers; ++h) {
        [[maybe_unused]] const UncheckedInQt building;
        helping[h] = QtConcurrent::run([&queue, &model, c, p] {
            TakeOver(&queue);
            queue.DrawAll(model, c, p);
            HandOver(&queue);
        });
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
    for (QFuture<void>& helper : helping) {
        helper.waitForFinished();
    }
    TakeOver(&queue);
    for (const OtherView& view : others) {
        if (!failure) {
            failure = view.failure;
        }
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

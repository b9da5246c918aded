// Speed of the largest models: drawing on RasterCanvas against a QPainter reference and against
// the cost of just writing the same number of pixels, the interactive steps, picking and files.
//
// Every case runs on both models of BenchModels.h. Names are "caseN_what/model"; scripts/bench
// turns the medians into one table (bench/bench_table.py). Times are the process's CPU time
// (Google Benchmark's default), which other work on a shared machine disturbs least; the
// wall-clock time is reported beside it.
#include "BenchModels.h"
#include "Colours.h"
#include "CountingCanvas.h"
#include "QPainterCanvas.h"
#include "RasterCanvas.h"
#include "Views.h"
#include "c3dObj.h"

#include <benchmark/benchmark.h>

#ifdef TESSALY_BENCH_WINDOW
#include "PictureBox.h"
#include "frmMain.h"
#include "mObj.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#endif

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using benchmodels::kViewHeight;
using benchmodels::kViewWidth;
using benchviews::FourCanvases;
using benchviews::Views;

struct Subject {
    std::string name;
    c3dObj model;
    std::optional<uint64_t> redrawPixels;
};

// The pixel writes of one full redraw on RasterCanvas, measured once per model.
uint64_t RedrawPixels(Subject& subject) {
    if (!subject.redrawPixels) {
        FourCanvases<CountingCanvas> counting(kViewWidth, kViewHeight);
        benchviews::FullRedraw(subject.model, counting.views());
        subject.redrawPixels = counting.pic.pixels() + counting.picLeft.pixels() +
                               counting.picTop.pixels() + counting.picPresp.pixels();
    }
    return *subject.redrawPixels;
}

std::filesystem::path ScratchFile(const Subject& subject) {
    return std::filesystem::temp_directory_path() /
           ("tessaly-bench-" + std::to_string(::getpid()) + "-" + subject.name + ".g3d");
}

// 1. The full redraw on the four raster canvases.
void FullRedrawRaster(benchmark::State& state, Subject& subject) {
    FourCanvases<RasterCanvas> canvases(kViewWidth, kViewHeight);
    const Views views = canvases.views();
    for (auto _ : state) {
        benchviews::FullRedraw(subject.model, views);
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = static_cast<double>(RedrawPixels(subject));
}

// 2. The same on the QPainter reference.
void FullRedrawQPainter(benchmark::State& state, Subject& subject) {
    FourCanvases<QPainterCanvas> canvases(kViewWidth, kViewHeight);
    const Views views = canvases.views();
    for (auto _ : state) {
        benchviews::FullRedraw(subject.model, views);
        benchmark::ClobberMemory();
    }
}

// 3. As many pixel writes as case 1 makes, as std::fill over four buffers of a view's size: the
// least that writing those pixels can cost.
void FillFloor(benchmark::State& state, Subject& subject) {
    const uint64_t total = RedrawPixels(subject);
    constexpr std::size_t kBuffers = 4;
    const std::size_t size =
        static_cast<std::size_t>(kViewWidth) * static_cast<std::size_t>(kViewHeight);
    std::array<std::vector<uint32_t>, kBuffers> buffers;
    for (auto& buffer : buffers) {
        buffer.assign(size, 0);
    }
    uint32_t colour = RasterCanvas::toRgb32(kGreen);
    for (auto _ : state) {
        for (std::size_t b = 0; b < kBuffers; ++b) {
            uint64_t share = total / kBuffers + (b < total % kBuffers ? 1 : 0);
            uint32_t* data = buffers[b].data();
            while (share > 0) {
                const std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(share, size));
                std::fill(data, data + n, colour);
                share -= n;
            }
            benchmark::DoNotOptimize(data);
        }
        benchmark::ClobberMemory();
        colour ^= 0x00FFFFFFu;
    }
    state.counters["pixels"] = static_cast<double>(total);
}

// 4. One step of the rotate tool: erase in black, turn about y and x, draw again.
void DragStep(benchmark::State& state, Subject& subject) {
    c3dObj model = subject.model;
    FourCanvases<RasterCanvas> canvases(kViewWidth, kViewHeight);
    const Views views = canvases.views();
    benchviews::FullRedraw(model, views);
    for (auto _ : state) {
        benchviews::DragStep(model, views);
        benchmark::ClobberMemory();
    }
}

// 5. One step of the move tool: the middle point goes to the pointer, then the full redraw.
void MoveStep(benchmark::State& state, Subject& subject) {
    c3dObj model = subject.model;
    FourCanvases<RasterCanvas> canvases(kViewWidth, kViewHeight);
    const Views views = canvases.views();
    const auto i = static_cast<int16_t>(model.nPoints() / 2);
    const float x = model.GetX(i) + model.GetCX();
    const float y = model.GetY(i) + model.GetCY();
    const float z = model.GetZ(i) + model.GetCZ();
    float shift = 0.0f;
    for (auto _ : state) {
        shift = shift == 0.0f ? 3.0f : 0.0f;
        model.SetXYZ(i, x + shift, y + shift, z);
        benchviews::FullRedraw(model, views);
        benchmark::ClobberMemory();
    }
}

// 6. A press in the front view far from every point: the whole list is searched.
void PickNoHit(benchmark::State& state, Subject& subject) {
    RasterCanvas canvas(kViewWidth, kViewHeight);
    for (auto _ : state) {
        const int16_t hit = subject.model.SelectPoint(canvas, 10000.0f, 10000.0f, vwFront);
        benchmark::DoNotOptimize(hit);
        if (hit != -1) {
            state.SkipWithError("a point was picked far from every point");
            break;
        }
    }
}

// 7. Writing the model as a G3D file, in bytes of text per second.
void Save(benchmark::State& state, Subject& subject) {
    const auto file = ScratchFile(subject);
    for (auto _ : state) {
        subject.model.SaveFile(file.string());
    }
    const auto bytes = std::filesystem::file_size(file);
    std::filesystem::remove(file);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

// 7. Reading it back into an empty model, in bytes of text per second.
void Load(benchmark::State& state, Subject& subject) {
    const auto file = ScratchFile(subject);
    subject.model.SaveFile(file.string());
    const auto bytes = std::filesystem::file_size(file);
    for (auto _ : state) {
        c3dObj model;
        benchmodels::PlaceCentre(model);
        model.LoadFileEx(file.string());
        if (model.nPoints() != subject.model.nPoints()) {
            state.SkipWithError("the file read back holds a different number of points");
            break;
        }
        benchmark::DoNotOptimize(model);
    }
    std::filesystem::remove(file);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
    state.counters["file_bytes"] = static_cast<double>(bytes);
}

#ifdef TESSALY_BENCH_WINDOW
QtMessageHandler qtMessages = nullptr;

// The offscreen platform warns at every window shown that it does not pass size hints on; the
// warning says nothing about the benchmark, and other messages go through.
void QuietSizeHintWarnings(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (message.contains(QLatin1String("propagateSizeHints"))) {
        return;
    }
    if (qtMessages != nullptr) {
        qtMessages(type, context, message);
    } else {
        std::fputs(qPrintable(qFormatLogMessage(type, context, message) + QLatin1Char('\n')),
                   stderr);
    }
}

// Counts the paint events the four views receive, and those of every other widget, so that case 8
// can check that each iteration really paints each view once.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(const std::array<const QWidget*, 4>& views) : views_(views) {
        QApplication::instance()->installEventFilter(this);
    }
    ~PaintCounter() override { QApplication::instance()->removeEventFilter(this); }
    PaintCounter(const PaintCounter&) = delete;
    PaintCounter& operator=(const PaintCounter&) = delete;

    const std::array<int64_t, 4>& views() const { return paints_; }
    int64_t others() const { return others_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const auto found = std::find(views_.begin(), views_.end(), watched);
            if (found != views_.end()) {
                ++paints_[static_cast<std::size_t>(found - views_.begin())];
            } else {
                ++others_;
            }
        }
        return false;
    }

private:
    std::array<const QWidget*, 4> views_;
    std::array<int64_t, 4> paints_{};
    int64_t others_ = 0;
};

// True when the window's backing store shows the pixels of the view's canvas, except under the
// view's own children (its caption).
bool ShownAsDrawn(const frmMain& form, const PictureBox& view) {
    const RasterCanvas& raster = view.raster();
    const QPoint origin = view.contentsRect().topLeft();
    const QPoint at = view.mapTo(&form, origin);
    const QImage shown =
        QApplication::primaryScreen()
            ->grabWindow(form.winId(), at.x(), at.y(), raster.ScaleWidth(), raster.ScaleHeight())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    if (shown.width() != raster.ScaleWidth() || shown.height() != raster.ScaleHeight()) {
        return false;
    }
    QRegion covered;
    for (const QWidget* child : view.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible()) {
            covered += child->geometry().translated(-origin);
        }
    }
    for (int y = 0; y < shown.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(shown.constScanLine(y));
        const uint32_t* drawn =
            raster.bits() + static_cast<std::ptrdiff_t>(y) * raster.ScaleWidth();
        for (int x = 0; x < shown.width(); ++x) {
            if (row[x] != drawn[x] && !covered.contains(QPoint(x, y))) {
                return false;
            }
        }
    }
    return true;
}

// 8. The window's refresh: mnuRefresh_Click on the real window with every box checked, then the
// event loop's paint of the views it changed, as after F5. The model goes into Obj() about the
// centre the window gave it. Every iteration must paint each view exactly once, and at the end the
// window must show what was drawn; the counters give the paints per iteration of a view
// ("view_paints") and of all other widgets ("other_paints", the captions over the views).
void WindowRefresh(benchmark::State& state, Subject& subject) {
    frmMain form;
    const c3dObj& model = Obj();
    if (model.GetCX() != subject.model.GetCX() || model.GetCY() != subject.model.GetCY() ||
        model.GetCZ() != subject.model.GetCZ()) {
        state.SkipWithError("the window gives a new model another centre than the bench models");
        return;
    }
    Obj() = subject.model;
    form.show();
    form.chkLeft->setChecked(true);
    form.chkPres->setChecked(true);
    form.chkTop->setChecked(true);
    QApplication::processEvents();

    const std::array<PictureBox*, 4> views{form.pic, form.picLeft, form.picTop, form.picPresp};
    PaintCounter counter({views[0], views[1], views[2], views[3]});
    bool paintedOnce = true;
    for (auto _ : state) {
        const std::array<int64_t, 4> before = counter.views();
        form.mnuRefresh_Click();
        QApplication::processEvents();
        const std::array<int64_t, 4>& after = counter.views();
        for (std::size_t v = 0; v < views.size(); ++v) {
            paintedOnce = paintedOnce && after[v] == before[v] + 1;
        }
        if (!paintedOnce) {
            state.SkipWithError("a view was not painted exactly once after the refresh");
            break;
        }
    }
    const bool shown = std::all_of(views.begin(), views.end(), [&form](const PictureBox* view) {
        return ShownAsDrawn(form, *view);
    });
    if (paintedOnce && !shown) {
        state.SkipWithError("the window does not show what the refresh drew");
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["view_paints"] = static_cast<double>(counter.views()[0]) / iterations;
    state.counters["other_paints"] = static_cast<double>(counter.others()) / iterations;
    Obj() = c3dObj();
}
#endif

using Case = void (*)(benchmark::State&, Subject&);

struct CaseEntry {
    const char* name;
    Case run;
    benchmark::TimeUnit unit;
};

constexpr std::array kCases{
    CaseEntry{"case1_full_redraw", FullRedrawRaster, benchmark::kMillisecond},
    CaseEntry{"case2_qpainter_redraw", FullRedrawQPainter, benchmark::kMillisecond},
    CaseEntry{"case3_fill_floor", FillFloor, benchmark::kMillisecond},
    CaseEntry{"case4_drag_step", DragStep, benchmark::kMillisecond},
    CaseEntry{"case5_move_step", MoveStep, benchmark::kMillisecond},
    CaseEntry{"case6_pick_no_hit", PickNoHit, benchmark::kMicrosecond},
    CaseEntry{"case7_save", Save, benchmark::kMillisecond},
    CaseEntry{"case7_load", Load, benchmark::kMillisecond},
#ifdef TESSALY_BENCH_WINDOW
    CaseEntry{"case8_window_refresh", WindowRefresh, benchmark::kMillisecond},
#endif
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
#ifdef TESSALY_BENCH_WINDOW
    // The window of case 8 lives on the offscreen platform, which needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(QuietSizeHintWarnings);
    QApplication app(argc, argv);
#endif
    std::deque<Subject> subjects;
    subjects.push_back(Subject{"scatter", benchmodels::Scatter(), std::nullopt});
    subjects.push_back(Subject{"walk", benchmodels::Walk(), std::nullopt});
    for (const CaseEntry& entry : kCases) {
        for (Subject& subject : subjects) {
            const std::string name = std::string(entry.name) + "/" + subject.name;
            benchmark::RegisterBenchmark(name.c_str(), [run = entry.run,
                                                        &subject](benchmark::State& state) {
                run(state, subject);
            })->Unit(entry.unit);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

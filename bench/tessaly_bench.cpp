// Speed of the largest models: the full redraw on RasterCanvas on one core and on all cores,
// against the stores alone to the same pixel addresses and against the libraries a user might pick
// instead (QPainter, Cairo, AGG); the interactive steps, picking, files and the real window's
// refresh.
//
// Every case runs on both models of BenchModels.h. Names are "caseN_what/model"; scripts/bench
// turns the medians into one table (bench/bench_table.py). Views are drawn on several threads, so
// every case reports the wall-clock time and the CPU time of the whole process (Google Benchmark
// would otherwise time only the calling thread's CPU).
#include "BenchModels.h"
#include "Colours.h"
#include "OneCore.h"
#include "PictureBox.h"
#include "QPainterCanvas.h"
#include "RasterCanvas.h"
#include "TracingCanvas.h"
#include "Views.h"
#include "c3dObj.h"
#include "frmMain.h"
#include "mObj.h"

#ifdef TESSALY_BENCH_CAIRO
#include "CairoCanvas.h"
#endif
#ifdef TESSALY_BENCH_AGG
#include "AggCanvas.h"
#endif

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QScreen>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using benchmodels::kViewHeight;
using benchmodels::kViewWidth;
using benchviews::FourCanvases;

using Trace = FourCanvases<TracingCanvas>;

struct Subject {
    std::string name;
    c3dObj model;
    std::optional<Trace> trace;
};

// The pixel writes of one full redraw, in order, per view: recorded once per model.
const Trace& RedrawTrace(Subject& subject) {
    if (!subject.trace) {
        subject.trace.emplace(kViewWidth, kViewHeight);
        benchviews::FullRedraw(subject.model, subject.trace->canvases());
    }
    return *subject.trace;
}

std::array<const TracingCanvas*, 4> Views(const Trace& trace) {
    return {&trace.front, &trace.left, &trace.top, &trace.presp};
}

uint64_t RedrawWrites(Subject& subject) {
    uint64_t writes = 0;
    for (const TracingCanvas* view : Views(RedrawTrace(subject))) {
        writes += view->writes();
    }
    return writes;
}

// Each view draws a marker of two segments on every point and a segment between neighbours.
double RedrawSegments(const c3dObj& model) {
    constexpr int kViews = 4;
    return kViews * (3.0 * model.nPoints() - 1.0);
}

std::filesystem::path ScratchFile(const Subject& subject) {
    return std::filesystem::temp_directory_path() /
           ("tessaly-bench-" + std::to_string(::getpid()) + "-" + subject.name + ".g3d");
}

// 1 and 2. The full redraw on four canvases of one kind, on as many cores as the process has.
template <typename C> void FullRedrawOn(benchmark::State& state, Subject& subject) {
    FourCanvases<C> canvases(kViewWidth, kViewHeight);
    const ViewCanvases views = canvases.canvases();
    for (auto _ : state) {
        benchviews::FullRedraw(subject.model, views);
        benchmark::ClobberMemory();
    }
    state.counters["segments"] = RedrawSegments(subject.model);
    state.counters["pixels"] = static_cast<double>(RedrawWrites(subject));
}

// 1. The full redraw on RasterCanvas with every thread of the process on one core: the redraw's
// threads still draw the other views, taking turns with the calling thread.
void FullRedrawOneCore(benchmark::State& state, Subject& subject) {
    const OneCore pinned;
    FullRedrawOn<RasterCanvas>(state, subject);
    state.counters["core"] = pinned.core();
}

// 3. The same-address floor: the stores of case 1 and nothing else. The pixel addresses the full
// redraw writes were recorded once per model; every iteration stores one colour to them in the
// same order, view after view, a clear as a fill, on one core as case 1's one-core variant. Only
// the index list is read besides, four bytes a pixel.
void SameAddressFloor(benchmark::State& state, Subject& subject) {
    const Trace& trace = RedrawTrace(subject);
    const OneCore pinned;
    const std::size_t size =
        static_cast<std::size_t>(kViewWidth) * static_cast<std::size_t>(kViewHeight);
    std::array<std::vector<uint32_t>, 4> buffers;
    for (auto& buffer : buffers) {
        buffer.assign(size, 0);
    }
    uint32_t colour = RasterCanvas::toRgb32(kGreen);
    const auto views = Views(trace);
    for (auto _ : state) {
        for (std::size_t v = 0; v < views.size(); ++v) {
            views[v]->Replay(buffers[v].data(), colour);
            benchmark::DoNotOptimize(buffers[v].data());
        }
        benchmark::ClobberMemory();
        colour ^= 0x00FFFFFFu;
    }
    state.counters["pixels"] = static_cast<double>(RedrawWrites(subject));
}

// 3b. The cache floor: as many 4-byte stores as case 3 makes, into a 32 KiB buffer that stays in
// the first-level data cache, eight to a loop step, none depending on another. They are volatile
// so that the compiler neither merges them nor turns them into vector stores: this is the limit no
// order of scalar stores can beat. One core, as case 3.
void CacheFloor(benchmark::State& state, Subject& subject) {
    constexpr std::size_t kWords = 32 * 1024 / sizeof(uint32_t);
    constexpr std::size_t kUnroll = 8;
    const uint64_t stores = RedrawWrites(subject);
    const OneCore pinned;
    std::vector<uint32_t> buffer(kWords, 0);
    volatile uint32_t* const words = buffer.data();
    uint32_t colour = RasterCanvas::toRgb32(kGreen);
    for (auto _ : state) {
        uint64_t left = stores;
        while (left > 0) {
            const std::size_t n = left < kWords ? static_cast<std::size_t>(left) : kWords;
            std::size_t i = 0;
            for (; i + kUnroll <= n; i += kUnroll) {
                words[i] = colour;
                words[i + 1] = colour;
                words[i + 2] = colour;
                words[i + 3] = colour;
                words[i + 4] = colour;
                words[i + 5] = colour;
                words[i + 6] = colour;
                words[i + 7] = colour;
            }
            for (; i < n; ++i) {
                words[i] = colour;
            }
            left -= n;
        }
        benchmark::ClobberMemory();
        colour ^= 0x00FFFFFFu;
    }
    state.counters["pixels"] = static_cast<double>(stores);
}

// 4. One step of the rotate tool: erase in black, turn about y and x, draw again. Every step starts
// from the model and the views of the full redraw: both are put back with the timers paused (the
// pause costs about a microsecond a step, against milliseconds for the step).
void DragStep(benchmark::State& state, Subject& subject) {
    c3dObj model = subject.model;
    FourCanvases<RasterCanvas> canvases(kViewWidth, kViewHeight);
    const ViewCanvases views = canvases.canvases();
    benchviews::FullRedraw(model, views);
    const FourCanvases<RasterCanvas> drawn = canvases;
    for (auto _ : state) {
        benchviews::DragStep(model, views);
        benchmark::ClobberMemory();
        state.PauseTiming();
        model = subject.model;
        canvases = drawn;
        state.ResumeTiming();
    }
}

// 5. One step of the move tool: the middle point goes to the pointer, then the full redraw.
void MoveStep(benchmark::State& state, Subject& subject) {
    c3dObj model = subject.model;
    FourCanvases<RasterCanvas> canvases(kViewWidth, kViewHeight);
    const ViewCanvases views = canvases.canvases();
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

using Case = void (*)(benchmark::State&, Subject&);

struct CaseEntry {
    const char* name;
    Case run;
    benchmark::TimeUnit unit;
};

constexpr std::array kCases{
    CaseEntry{"case1_redraw_one_core", FullRedrawOneCore, benchmark::kMillisecond},
    CaseEntry{"case1_redraw_all_cores", FullRedrawOn<RasterCanvas>, benchmark::kMillisecond},
    CaseEntry{"case2_qpainter_redraw", FullRedrawOn<QPainterCanvas>, benchmark::kMillisecond},
#ifdef TESSALY_BENCH_CAIRO
    CaseEntry{"case2_cairo_redraw", FullRedrawOn<CairoCanvas>, benchmark::kMillisecond},
#endif
#ifdef TESSALY_BENCH_AGG
    CaseEntry{"case2_agg_redraw", FullRedrawOn<AggCanvas>, benchmark::kMillisecond},
#endif
    CaseEntry{"case3_same_address_floor", SameAddressFloor, benchmark::kMillisecond},
    CaseEntry{"case3b_cache_floor", CacheFloor, benchmark::kMillisecond},
    CaseEntry{"case4_drag_step", DragStep, benchmark::kMillisecond},
    CaseEntry{"case5_move_step", MoveStep, benchmark::kMillisecond},
    CaseEntry{"case6_pick_no_hit", PickNoHit, benchmark::kMicrosecond},
    CaseEntry{"case7_save", Save, benchmark::kMillisecond},
    CaseEntry{"case7_load", Load, benchmark::kMillisecond},
    CaseEntry{"case8_window_refresh", WindowRefresh, benchmark::kMillisecond},
};

std::string CpuModel() {
    std::ifstream info("/proc/cpuinfo");
    const std::string key = "model name";
    for (std::string line; std::getline(info, line);) {
        if (line.compare(0, key.size(), key) == 0) {
            const auto colon = line.find(':');
            return colon == std::string::npos ? line
                                              : line.substr(line.find_first_not_of(' ', colon + 1));
        }
    }
    return "unknown";
}

std::string LoadAverage() {
    std::array<double, 3> load{};
    if (getloadavg(load.data(), static_cast<int>(load.size())) != static_cast<int>(load.size())) {
        return "unknown";
    }
    std::array<char, 64> text{};
    std::snprintf(text.data(), text.size(), "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text.data();
}

// What the figures depend on, in the JSON's context for the table.
void DescribeMachine() {
    benchmark::AddCustomContext("tessaly_cores", std::to_string(AllowedCores()));
    benchmark::AddCustomContext("tessaly_cpu_model", CpuModel());
    benchmark::AddCustomContext("tessaly_load_average", LoadAverage());
    benchmark::AddCustomContext("tessaly_redraw_threads", std::to_string(RedrawThreads()));
    benchmark::AddCustomContext("tessaly_qt_version", qVersion());
#ifdef TESSALY_BENCH_CAIRO
    benchmark::AddCustomContext("tessaly_cairo_version", CairoCanvas::Version());
#else
    std::fputs("tessaly_bench: no Cairo (libcairo2-dev) at build time: its cases are left out\n",
               stderr);
#endif
#ifdef TESSALY_BENCH_AGG
    benchmark::AddCustomContext("tessaly_agg_version", TESSALY_AGG_VERSION);
#else
    std::fputs("tessaly_bench: no AGG (libagg-dev) at build time: its cases are left out\n",
               stderr);
#endif
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    // The window of case 8 lives on the offscreen platform, which needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qtMessages = qInstallMessageHandler(QuietSizeHintWarnings);
    QApplication app(argc, argv);
    DescribeMachine();
    std::deque<Subject> subjects;
    subjects.push_back(Subject{"scatter", benchmodels::Scatter(), std::nullopt});
    subjects.push_back(Subject{"walk", benchmodels::Walk(), std::nullopt});
    subjects.push_back(Subject{"teapot", benchmodels::Teapot(TESSALY_EXAMPLES_DIR), std::nullopt});
    for (const CaseEntry& entry : kCases) {
        for (Subject& subject : subjects) {
            const std::string name = std::string(entry.name) + "/" + subject.name;
            benchmark::RegisterBenchmark(
                name.c_str(),
                [run = entry.run, &subject](benchmark::State& state) { run(state, subject); })
                ->Unit(entry.unit)
                ->UseRealTime()
                ->MeasureProcessCPUTime();
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

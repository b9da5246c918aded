// The model's operations: point list and centre, drawing, picking, turning and scaling, files.
#include "c3dObj.h"

#include "Canvas.h"
#include "Colours.h"
#include "FloatRange.h"
#include "G3dFile.h"

#include <array>
#include <cmath>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>

namespace {

// Half the length of a marker's arms, in view pixels.
constexpr float kMarkerHalf = 5.0f;
// The perspective eye stands this far in front of the centre.
constexpr float kEyeDistance = 500.0f;
// A point is picked when it lies strictly closer than this to the pointer.
constexpr float kPickRadius = 10.0f;
// Degrees to radians as the model has always turned: 3.1428571428 / 180, not pi / 180.
constexpr double kDegToRad = 0.01746031746;
constexpr float kGrow = 1.1f;
constexpr float kShrink = 0.9f;

struct ViewPos {
    float x;
    float y;
};

// A turn by angle degrees of a pair (a, b): a towards b. The cosine and sine are taken once for
// all points. A zero angle leaves every pair exactly as it is.
class Turn {
public:
    explicit Turn(float angle)
        : active_(angle != 0.0f), c_(std::cos(static_cast<double>(angle) * kDegToRad)),
          s_(std::sin(static_cast<double>(angle) * kDegToRad)) {}

    void operator()(float& a, float& b) const {
        if (!active_) {
            return;
        }
        const double oldA = a;
        const double oldB = b;
        a = static_cast<float>(oldA * c_ - oldB * s_);
        b = static_cast<float>(oldB * c_ + oldA * s_);
    }

private:
    bool active_;
    double c_;
    double s_;
};

} // namespace

// ---- point list and centre ----

void c3dObj::SetCxyz(float val1, float val2, float val3) {
    cx = val1;
    cy = val2;
    cz = val3;
}

std::size_t c3dObj::index(int16_t i) const {
    if (i < 0 || i >= nPoints()) {
        throw std::out_of_range("point index " + std::to_string(i) + " outside 0.." +
                                std::to_string(nPoints() - 1));
    }
    return static_cast<std::size_t>(i);
}

float c3dObj::GetX(int16_t i) const {
    return Points[index(i)].x;
}
float c3dObj::GetY(int16_t i) const {
    return Points[index(i)].y;
}
float c3dObj::GetZ(int16_t i) const {
    return Points[index(i)].z;
}

void c3dObj::SetXYZ(int16_t i, float val1, float val2, float val3) {
    Points[index(i)] = Point3D{val1 - cx, val2 - cy, val3 - cz};
}

void c3dObj::AddPoint(float X, float Y, float Z) {
    if (nPoints() >= kMaxPoints) {
        throw std::length_error("a model holds at most " + std::to_string(kMaxPoints) + " points");
    }
    Points.push_back(Point3D{X - cx, Y - cy, Z - cz});
}

void c3dObj::DeletePoint(int16_t pnt) {
    if (Points.empty()) {
        return;
    }
    if (pnt < 0) {
        throw std::out_of_range("point index " + std::to_string(pnt) + " is negative");
    }
    if (pnt >= nPoints() - 1) {
        Points.pop_back();
    } else {
        Points.erase(Points.begin() + pnt);
    }
}

// ---- drawing ----

namespace {

// Segments handed to the canvas in batches of this many: small enough to stay in the first-level
// cache, large enough that the call per batch costs nothing beside the drawing.
constexpr std::size_t kBatch = 256;
// A point's marker is two segments, and one more leads on to the next point.
constexpr std::size_t kPerPoint = 3;

// A point's marker: a plus sign of arms kMarkerHalf long centred on (X, Y), across then down.
std::array<Canvas::Segment, 2> MarkerArms(float X, float Y, uint32_t c) {
    const float left = X - kMarkerHalf;
    const float top = Y - kMarkerHalf;
    const float right = X + kMarkerHalf;
    const float bottom = Y + kMarkerHalf;
    return {{{left, Y, right, Y, c}, {X, top, X, bottom, c}}};
}

// Collects a view's segments and hands them to the canvas a batch at a time, in drawing order.
// Room is made once for all the segments of a point, so that adding each is a plain store.
class SegmentBatch {
public:
    explicit SegmentBatch(Canvas& canvas) : canvas_(canvas) {}

    void MakeRoom(std::size_t segments) {
        if (count_ + segments > segments_.size()) {
            Flush();
        }
    }

    void Add(float x1, float y1, float x2, float y2, uint32_t colour) {
        segments_[count_++] = Canvas::Segment{x1, y1, x2, y2, colour};
    }

    void Marker(ViewPos at, uint32_t colour) {
        for (const Canvas::Segment& arm : MarkerArms(at.x, at.y, colour)) {
            segments_[count_++] = arm;
        }
    }

    void Flush() {
        canvas_.Lines(std::span<const Canvas::Segment>(segments_.data(), count_));
        count_ = 0;
    }

private:
    Canvas& canvas_;
    std::array<Canvas::Segment, kBatch> segments_{};
    std::size_t count_ = 0;
};

} // namespace

// A point the view cannot map ends the drawing there: what was drawn before it reaches the
// canvas, and the failure goes on to the caller.
template <typename Map> void c3dObj::DrawView(Canvas& pc, uint32_t c, uint32_t p, Map map) const {
    if (Points.empty()) {
        return;
    }
    SegmentBatch batch(pc);
    try {
        ViewPos from = map(Points.front());
        for (std::size_t i = 0; i + 1 < Points.size(); ++i) {
            batch.MakeRoom(kPerPoint);
            batch.Marker(from, p);
            const ViewPos to = map(Points[i + 1]);
            batch.Add(from.x, from.y, to.x, to.y, c);
            from = to;
        }
        batch.MakeRoom(kPerPoint);
        batch.Marker(from, p);
    } catch (...) {
        batch.Flush();
        throw;
    }
    batch.Flush();
}

// A flat view: the two offsets its axes show, each plus the centre's on the same axis.
template <ViewAxes Axes> void c3dObj::DrawFlatView(Canvas& pc, uint32_t c, uint32_t p) const {
    const Point3D centre{cx, cy, cz};
    DrawView(pc, c, p, [centre](const Point3D& pt) {
        return ViewPos{Along(pt, Axes.across) + Along(centre, Axes.across),
                       Along(pt, Axes.down) + Along(centre, Axes.down)};
    });
}

void c3dObj::DrawFrontView(Canvas& pc, uint32_t c, uint32_t p) const {
    DrawFlatView<kFrontAxes>(pc, c, p);
}

void c3dObj::DrawTopView(Canvas& pc, uint32_t c, uint32_t p) const {
    DrawFlatView<kTopAxes>(pc, c, p);
}

void c3dObj::DrawLeftView(Canvas& pc, uint32_t c, uint32_t p) const {
    DrawFlatView<kLeftAxes>(pc, c, p);
}

// A central projection from an eye 500 pixels in front of the centre onto the plane of absolute
// depth 0: points nearer the eye spread out from the centre, points behind converge on it.
void c3dObj::DrawPrespectiveView(Canvas& pc, uint32_t c, uint32_t p) const {
    // Depths and quotients in double precision; the divisor is held as a float.
    const double eye = static_cast<double>(cz) + kEyeDistance;
    DrawView(pc, c, p, [this, eye](const Point3D& pt) {
        if (eye == 0.0) {
            throw std::overflow_error("the perspective eye lies at depth 0");
        }
        const double depth = static_cast<double>(pt.z) + cz;
        const auto s = NarrowToFloat(1.0 - depth / eye);
        if (!s || *s == 0.0f) {
            throw std::overflow_error("a point lies at the depth of the perspective eye");
        }
        const auto x = NarrowToFloat(static_cast<double>(pt.x) / *s + cx);
        const auto y = NarrowToFloat(static_cast<double>(pt.y) / *s + cy);
        if (!x || !y) {
            throw std::overflow_error("a point's perspective position overflows");
        }
        return ViewPos{*x, *y};
    });
}

void c3dObj::DrawPoint(Canvas& pc, float X, float Y, uint32_t c) const {
    pc.ForeColor(c);
    for (const Canvas::Segment& arm : MarkerArms(X, Y, c)) {
        pc.Line(arm.x1, arm.y1, arm.x2, arm.y2);
    }
}

// ---- picking ----

float c3dObj::GetDistance(float a, float b, float X, float Y) const {
    const double dy = static_cast<double>(Y) - b;
    const double dx = static_cast<double>(X) - a;
    return static_cast<float>(std::sqrt(dy * dy + dx * dx));
}

int16_t c3dObj::SelectPoint(Canvas& pc, float X, float Y, int16_t view) const {
    const std::optional<ViewAxes> axes = AxesOf(view);
    if (!axes) {
        return -1;
    }
    const Point3D centre{cx, cy, cz};
    for (int32_t i = 0; i < nPoints(); ++i) {
        const Point3D& pt = Points[static_cast<std::size_t>(i)];
        const float across = Along(pt, axes->across);
        const float down = Along(pt, axes->down);
        if (GetDistance(across, down, X, Y) < kPickRadius) {
            DrawPoint(pc, across + Along(centre, axes->across), down + Along(centre, axes->down),
                      kRed);
            return static_cast<int16_t>(i);
        }
    }
    return -1;
}

void c3dObj::SelectInAllView(Canvas& p1, Canvas& p2, Canvas& p3, int16_t SelectedPt) const {
    const Point3D& pt = Points[index(SelectedPt)];
    const Point3D centre{cx, cy, cz};
    for (auto [view, axes] :
         {std::pair<Canvas&, ViewAxes>{p1, kFrontAxes}, std::pair<Canvas&, ViewAxes>{p2, kLeftAxes},
          std::pair<Canvas&, ViewAxes>{p3, kTopAxes}}) {
        DrawPoint(view, Along(pt, axes.across) + Along(centre, axes.across),
                  Along(pt, axes.down) + Along(centre, axes.down), kRed);
    }
}

// ---- rotation and scaling ----

void c3dObj::RotateXYZ(float xAngle, float yAngle, float zAngle) noexcept {
    const Turn aboutX(xAngle); // y towards z
    const Turn aboutY(yAngle); // z towards x
    const Turn aboutZ(zAngle); // x towards y
    for (Point3D& pt : Points) {
        aboutX(pt.y, pt.z);
        aboutY(pt.z, pt.x);
        aboutZ(pt.x, pt.y);
    }
}

void c3dObj::Resize(int16_t mDir) noexcept {
    float factor = 0.0f;
    if (mDir == 1) {
        factor = kGrow;
    } else if (mDir == -1) {
        factor = kShrink;
    } else {
        return;
    }
    for (Point3D& pt : Points) {
        pt.x *= factor;
        pt.y *= factor;
        pt.z *= factor;
    }
}

// ---- G3D files ----

void c3dObj::SaveFile(const std::string& FileName) const {
    G3dFile::Save(*this, FileName);
}

void c3dObj::LoadFileEx(const std::string& FileName) {
    // A file without the header has said so to the user and changed nothing.
    static_cast<void>(G3dFile::Load(*this, FileName));
}

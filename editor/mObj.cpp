// The model instance and the centre cross.
#include "mObj.h"

#include "Canvas.h"

#include <utility>

namespace {

constexpr float kCrossHalf = 5.0f;

void Cross(Canvas& view, float x, float y) {
    view.Line(x, y - kCrossHalf, x, y + kCrossHalf);
    view.Line(x - kCrossHalf, y, x + kCrossHalf, y);
}

} // namespace

c3dObj& Obj() {
    static c3dObj model;
    return model;
}

Point3D Centre() {
    const c3dObj& model = Obj();
    return {model.GetCX(), model.GetCY(), model.GetCZ()};
}

void DrawCenter(Canvas& front, Canvas& left, Canvas& top, uint32_t c) {
    front.ForeColor(c);
    left.ForeColor(c);
    top.ForeColor(c);
    const Point3D centre = Centre();
    for (auto [view, axes] : {std::pair<Canvas&, ViewAxes>{front, kFrontAxes},
                              std::pair<Canvas&, ViewAxes>{left, kLeftAxes},
                              std::pair<Canvas&, ViewAxes>{top, kTopAxes}}) {
        Cross(view, Along(centre, axes.across), Along(centre, axes.down));
    }
}

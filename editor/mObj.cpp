// The model instance and the centre cross.
#include "mObj.h"

#include "Canvas.h"

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

void DrawCenter(Canvas& front, Canvas& left, Canvas& top, uint32_t c) {
    const c3dObj& model = Obj();
    front.ForeColor(c);
    left.ForeColor(c);
    top.ForeColor(c);
    Cross(front, model.GetCX(), model.GetCY());
    Cross(left, model.GetCZ(), model.GetCY());
    Cross(top, model.GetCX(), model.GetCZ());
}

// The one model of the application, and the centre cross drawn during interactive steps.
#pragma once

#include "c3dObj.h"

#include <cstdint>

class Canvas;

// The model, created on first use and kept until the program ends.
c3dObj& Obj();
// The model's centre as a point.
Point3D Centre();

// A plus sign of half-size 5 at the centre's place in the front, left and top views.
void DrawCenter(Canvas& front, Canvas& left, Canvas& top, uint32_t c);

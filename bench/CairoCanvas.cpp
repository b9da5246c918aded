// The Cairo peer.
#include "CairoCanvas.h"

#include "Colours.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr double kChannel = 255.0;
// Cairo's pixel i covers [i, i + 1); the canvas's covers [i - 0.5, i + 0.5).
constexpr double kToCairo = 0.5;

double Channel(uint32_t bgr, int shift) {
    return static_cast<double>((bgr >> shift) & 0xFFu) / kChannel;
}

void SetColour(cairo_t* cairo, uint32_t bgr) {
    cairo_set_source_rgb(cairo, Channel(bgr, 0), Channel(bgr, 8), Channel(bgr, 16));
}

void AddSegment(cairo_t* cairo, const Canvas::Segment& s) {
    cairo_move_to(cairo, s.x1, s.y1);
    cairo_line_to(cairo, s.x2, s.y2);
}

} // namespace

// Square caps reach half a pixel past each end, so a segment covers its end pixels as the raster
// canvas's do, and a segment of no length still marks its pixel.
CairoCanvas::CairoCanvas(int width, int height)
    : width_(width), height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)),
      cairo_(cairo_create(surface_)), colour_(kBlack) {
    cairo_translate(cairo_, kToCairo, kToCairo);
    cairo_set_antialias(cairo_, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cairo_, 1.0);
    cairo_set_line_cap(cairo_, CAIRO_LINE_CAP_SQUARE);
    Cls();
}

CairoCanvas::~CairoCanvas() {
    cairo_destroy(cairo_);
    cairo_surface_destroy(surface_);
}

void CairoCanvas::ForeColor(uint32_t colour) {
    if (colour != colour_) {
        colour_ = colour;
        SetColour(cairo_, colour);
    }
}

void CairoCanvas::Line(float x1, float y1, float x2, float y2) {
    AddSegment(cairo_, Segment{x1, y1, x2, y2, colour_});
    cairo_stroke(cairo_);
}

// Segments of one colour in a row are one path, stroked where the colour changes.
void CairoCanvas::Lines(std::span<const Segment> segments) {
    for (std::size_t i = 0; i < segments.size(); ++i) {
        ForeColor(segments[i].colour);
        AddSegment(cairo_, segments[i]);
        if (i + 1 == segments.size() || segments[i + 1].colour != colour_) {
            cairo_stroke(cairo_);
        }
    }
}

void CairoCanvas::Cls() {
    SetColour(cairo_, kBlack);
    cairo_paint(cairo_);
    SetColour(cairo_, colour_);
}

uint32_t CairoCanvas::pixel(int x, int y) const {
    cairo_surface_flush(surface_);
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) +
        static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface_);
    // RGB24 keeps each pixel as a native-endian 32-bit word, 0x00RRGGBB.
    uint32_t xrgb = 0;
    std::memcpy(&xrgb, row + static_cast<std::ptrdiff_t>(x) * 4, sizeof xrgb);
    return ((xrgb & 0xFFu) << 16) | (xrgb & 0xFF00u) | ((xrgb >> 16) & 0xFFu);
}

// The views' pixels compared with drawings made for the test on canvases of the same size.
#pragma once

#include "Colours.h"
#include "PictureBox.h"
#include "RasterCanvas.h"
#include "frmMain.h"
#include "mObj.h"

#include <gtest/gtest.h>

#include <cstdint>

// How many pixels of the view differ from want; -1 where the sizes differ.
inline int Differences(const PictureBox* view, const RasterCanvas& want) {
    const RasterCanvas& got = view->raster();
    if (got.ScaleWidth() != want.ScaleWidth() || got.ScaleHeight() != want.ScaleHeight()) {
        return -1;
    }
    int n = 0;
    for (int y = 0; y < want.ScaleHeight(); ++y) {
        for (int x = 0; x < want.ScaleWidth(); ++x) {
            n += got.pixel(x, y) != want.pixel(x, y) ? 1 : 0;
        }
    }
    return n;
}

using Draw = void (c3dObj::*)(Canvas&, uint32_t, uint32_t) const;

// A view as the redraw leaves it for the given model.
inline RasterCanvas Drawn(const c3dObj& model, const PictureBox* view, Draw draw) {
    RasterCanvas canvas(view->raster().ScaleWidth(), view->raster().ScaleHeight());
    (model.*draw)(canvas, kGreen, kYellow);
    return canvas;
}

// The cross the window draws at a centre: two lines five pixels out from (x, y).
inline void Cross(RasterCanvas& canvas, float x, float y, uint32_t colour) {
    canvas.ForeColor(colour);
    canvas.Line(x, y - 5, x, y + 5);
    canvas.Line(x - 5, y, x + 5, y);
}

// The pixels of all four views.
struct Screen {
    explicit Screen(const frmMain& form)
        : front(form.pic->raster()), left(form.picLeft->raster()), top(form.picTop->raster()),
          presp(form.picPresp->raster()) {}

    // The blue crosses a move draws at the centre (cx, cy, cz) in the three flat views.
    void CrossTheCentre(float cx, float cy, float cz) {
        Cross(front, cx, cy, kBlue);
        Cross(left, cz, cy, kBlue);
        Cross(top, cx, cz, kBlue);
    }

    RasterCanvas front;
    RasterCanvas left;
    RasterCanvas top;
    RasterCanvas presp;
};

// Every view holds exactly the pixels of want.
inline void ExpectScreen(const frmMain& form, const Screen& want) {
    EXPECT_EQ(Differences(form.pic, want.front), 0);
    EXPECT_EQ(Differences(form.picLeft, want.left), 0);
    EXPECT_EQ(Differences(form.picTop, want.top), 0);
    EXPECT_EQ(Differences(form.picPresp, want.presp), 0);
}

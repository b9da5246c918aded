// The views' pixels counted and compared with drawings made for the test on canvases of the same
// size.
#pragma once

#include "Colours.h"
#include "ModelChecks.h"
#include "PictureBox.h"
#include "Pixels.h"
#include "RasterCanvas.h"
#include "frmMain.h"
#include "mObj.h"

#include <gtest/gtest.h>

#include <cstdint>

// The canvas checks of every layer, on what a view shows.
inline int Count(const PictureBox* view, uint32_t colour) {
    return CountColour(view->raster(), colour);
}
inline testing::AssertionResult Blank(const PictureBox* view) {
    return Blank(view->raster());
}
inline uint32_t Pixel(const PictureBox* view, int x, int y) {
    return view->raster().pixel(x, y);
}
inline testing::AssertionResult SamePixels(const PictureBox* view, const RasterCanvas& want) {
    return SamePixels(view->raster(), want);
}

// The view holds what the redraw draws of the model there, and nothing else.
inline testing::AssertionResult ShowsTheDrawing(const PictureBox* view, const c3dObj& model,
                                                Draw draw) {
    RasterCanvas want(view->raster().ScaleWidth(), view->raster().ScaleHeight());
    (model.*draw)(want, kGreen, kYellow);
    return SamePixels(view, want);
}

// What a shown view holds after one step from before to after: the old drawing drawn over in
// black, the new one in colour.
inline void Step(RasterCanvas& canvas, const c3dObj& before, const c3dObj& after, Draw draw) {
    (before.*draw)(canvas, kBlack, kBlack);
    (after.*draw)(canvas, kGreen, kYellow);
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
    EXPECT_TRUE(SamePixels(form.pic, want.front));
    EXPECT_TRUE(SamePixels(form.picLeft, want.left));
    EXPECT_TRUE(SamePixels(form.picTop, want.top));
    EXPECT_TRUE(SamePixels(form.picPresp, want.presp));
}

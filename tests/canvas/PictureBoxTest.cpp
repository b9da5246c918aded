// PictureBox draws batches of segments as ForeColor and Line would, on a widget that has not yet
// followed its new size.
#include "PictureBox.h"
#include "CanvasPictures.h"
#include "RasterCanvas.h"

#include <gtest/gtest.h>

TEST(PictureBox, Lines_DrawAsForeColorAndLineForEachSegment) {
    RasterCanvas each(kBatchWidth, kBatchHeight);
    DrawBatches(each, true);
    PictureBox box;
    box.resize(kBatchWidth + 2 * PictureBox::kBorder, kBatchHeight + 2 * PictureBox::kBorder);
    DrawBatches(box, false);
    EXPECT_TRUE(SamePixels(box.raster(), each));
}

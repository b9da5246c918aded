// Models at the edges of what the editor holds, on the real window: the largest point count, a
// model grown beyond the float range, points the perspective cannot project and a centre far
// outside every view. Every redraw, step and command finishes and the program goes on.
#include "BenchModels.h"
#include "ModelCentre.h"
#include "ModelChecks.h"
#include "Pixels.h"
#include "QtFileBytes.h"
#include "ViewPixels.h"
#include "ViewRedraw.h"
#include "WindowFixture.h"

#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace {

float LargestMagnitude(const c3dObj& model) {
    float largest = 0.0f;
    for (int16_t i = 0; i < model.nPoints(); ++i) {
        largest = std::fmax(largest, std::fabs(model.GetX(i)));
        largest = std::fmax(largest, std::fabs(model.GetY(i)));
        largest = std::fmax(largest, std::fabs(model.GetZ(i)));
    }
    return largest;
}

class ExtremeModel : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        Obj().SetCxyz(kCx, kCy, kCz);
    }

    // One rotate step, one key step and a redraw; each must finish.
    void TurnByMouseAndKey() {
        form->cmdRotate->click();
        form->pic_MouseDown(1, 0, 440, 330);
        form->pic_MouseMove(1, 1, 400, 300);
        form->picTop_KeyDown(37, 0);
        form->mnuRefresh->trigger();
    }
    // The model as TurnByMouseAndKey leaves it: the drag's turns about y, x and z, then the key's
    // turn about y.
    static c3dObj TurnedByMouseAndKey(const c3dObj& model) {
        return Turned(model, {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}});
    }

    // The boxes' texts below are written with "." as the decimal mark.
    DefaultLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
};

} // namespace

TEST_F(ExtremeModel, LargestModelRedrawsTurnsRefusesOneMorePointAndResets) {
    for (int i = 0; i < c3dObj::kMaxPoints; ++i) {
        const double a = i * 0.01;
        const double r = 20 + i % 100;
        Obj().AddPoint(static_cast<float>(kCx + r * std::cos(a)),
                       static_cast<float>(kCy + r * std::sin(a)),
                       kCz + static_cast<float>(i % 50 - 25));
    }
    ASSERT_EQ(Obj().nPoints(), 32767);
    CheckAllBoxes();
    EXPECT_GT(Count(form->picPresp, kYellow), 0);
    const c3dObj full = Obj();

    // The add tool does not count; the model keeps its 32,767 points and the window goes on.
    form->cmdAdd->click();
    form->pic_MouseDown(1, 0, 5, 5);
    EXPECT_TRUE(SameOffsets(Obj(), full));

    TurnByMouseAndKey();
    EXPECT_TRUE(SameOffsets(Obj(), TurnedByMouseAndKey(full)));

    form->mnuReset->trigger();
    EXPECT_EQ(Obj().nPoints(), 0);
    form->mnuRefresh->trigger();
    EXPECT_TRUE(Blank(form->pic));
    EXPECT_TRUE(Blank(form->picPresp));
}

TEST_F(ExtremeModel, FileWithMorePointsThanAModelHoldsIsRefusedKeepingTheModel) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString name = folder.filePath(QStringLiteral("large.G3D"));
    QByteArray text = "G3DModel\r\nlarge\r\n";
    for (int i = 0; i < 32800; ++i) {
        text += QByteArray::number(i % 300 - 150) + ',' + QByteArray::number(i % 7) + ',' +
                QByteArray::number(i) + "\r\n";
    }
    WriteFile(name, text);
    nextChoice = name;

    Obj().AddPoint(kCx, kCy, kCz);

    form->mnuOpen->trigger();

    ASSERT_EQ(Obj().nPoints(), 1);
    ASSERT_EQ(msgBox.messages.size(), 1U);
    // The first line past the limit is named: the header, the name and 32,767 points come first.
    EXPECT_NE(msgBox.messages[0].text.find("line 32770"), std::string::npos)
        << msgBox.messages[0].text;
}

TEST_F(ExtremeModel, GrowingPastTheFloatRangeNeverStopsTheRedraw) {
    // One point stays on the centre, so lines run from there towards the growing points.
    Obj().AddPoint(kCx, kCy, kCz);
    Obj().AddPoint(kCx + 10, kCy + 5, kCz + 3);
    Obj().AddPoint(kCx - 7, kCy + 2, kCz + 9);
    Obj().AddPoint(kCx + 4, kCy - 8, kCz - 6);
    CheckAllBoxes();
    form->cmdResize->click();
    form->pic_MouseDown(1, 0, 50, 300);

    int steps = 0;
    while (LargestMagnitude(Obj()) <= 1e30f && steps < 2000) {
        form->pic_MouseMove(1, 0, 60, 300);
        ++steps;
    }
    ASSERT_GT(LargestMagnitude(Obj()), 1e30f);
    // What is within reach is still drawn: the lines from the centre out of the view.
    EXPECT_GT(Count(form->pic, kGreen), 0);
    form->mnuRefresh->trigger();
    EXPECT_GT(Count(form->pic, kGreen), 0);
    EXPECT_GT(Count(form->picLeft, kGreen), 0);
    EXPECT_GT(Count(form->picTop, kGreen), 0);
    EXPECT_EQ(Obj().GetX(0), 0.0f);

    // On until the coordinates overflow, and on with every kind of step after that.
    while (!std::isinf(LargestMagnitude(Obj())) && steps < 2000) {
        form->pic_MouseMove(1, 0, 60, 300);
        ++steps;
    }
    ASSERT_TRUE(std::isinf(LargestMagnitude(Obj())));
    form->pic_MouseMove(1, 0, 40, 300); // shrinking infinity
    TurnByMouseAndKey();
    form->mnuRefresh->trigger();
    EXPECT_EQ(Obj().nPoints(), 4);

    form->mnuReset->trigger();
    form->mnuRefresh->trigger();
    EXPECT_TRUE(Blank(form->pic));
    EXPECT_TRUE(Blank(form->picPresp));
}

namespace {

// The three flat views after one step from before to after: the old drawing drawn over in black,
// the new one in colour, and the centre crosses on top.
void ExpectFlatViewsStepped(const frmMain& form, Screen want, const c3dObj& before,
                            const c3dObj& after) {
    Step(want.front, before, after, &c3dObj::DrawFrontView);
    Step(want.left, before, after, &c3dObj::DrawLeftView);
    Step(want.top, before, after, &c3dObj::DrawTopView);
    want.CrossTheCentre(after.GetCX(), after.GetCY(), after.GetCZ());
    EXPECT_TRUE(SamePixels(form.pic, want.front));
    EXPECT_TRUE(SamePixels(form.picLeft, want.left));
    EXPECT_TRUE(SamePixels(form.picTop, want.top));
}

} // namespace

TEST_F(ExtremeModel, PointAtTheEyeDepthStopsOnlyThePerspective) {
    // Eye depth is cz + 500 = 600; point 1 lies there.
    Obj().AddPoint(kCx, kCy, kCz);
    Obj().AddPoint(kCx + 40, kCy + 20, kCz + 500);
    Obj().AddPoint(kCx - 40, kCy + 30, kCz);
    const c3dObj atEye = Obj();
    CheckAllBoxes();

    EXPECT_TRUE(ShowsTheDrawing(form->pic, atEye, &c3dObj::DrawFrontView));
    EXPECT_TRUE(ShowsTheDrawing(form->picLeft, atEye, &c3dObj::DrawLeftView));
    EXPECT_TRUE(ShowsTheDrawing(form->picTop, atEye, &c3dObj::DrawTopView));
    // The perspective stops at the point it cannot project: only the first marker is drawn.
    c3dObj firstOnly;
    firstOnly.SetCxyz(kCx, kCy, kCz);
    firstOnly.AddPoint(kCx, kCy, kCz);
    EXPECT_TRUE(ShowsTheDrawing(form->picPresp, firstOnly, &c3dObj::DrawFrontView));

    // Drag and key steps turn the model, and every flat view is erased and drawn again even
    // though the perspective, drawn before the left and top views, cannot be.
    form->cmdRotate->click();
    form->pic_MouseDown(1, 0, 440, 330);
    Screen want(*form);
    form->pic_MouseMove(1, 0, 440, 330);
    const c3dObj turned = Turned(atEye, {{0, -1, 0}, {-1, 0, 0}});
    EXPECT_TRUE(SameOffsets(Obj(), turned));
    ExpectFlatViewsStepped(*form, want, atEye, turned);
    EXPECT_EQ(form->mousePos->text(), QStringLiteral("440,330"));

    Obj() = atEye;
    form->mnuRefresh->trigger();
    form->picLeft_KeyDown(65, 0); // no turn
    EXPECT_TRUE(SameOffsets(Obj(), atEye));
    want = Screen(*form);
    form->picLeft_KeyDown(16, 0);
    const c3dObj zTurned = Turned(atEye, {{0, 0, 1}});
    EXPECT_TRUE(SameOffsets(Obj(), zTurned));
    ExpectFlatViewsStepped(*form, want, atEye, zTurned);
}

// The views drawn side by side hold exactly what drawing them one after another gives, and a
// perspective that cannot be drawn stops alone and is reported after the others are drawn.
TEST(DrawShownViews, DrawsTheShownViewsAsOneAfterAnotherWouldAndReportsAFailureAfterwards) {
    c3dObj atEye = benchmodels::Walk();
    atEye.SetXYZ(100, 10, 20, atEye.GetCZ() + 500); // at the eye's depth
    const std::pair<const char*, c3dObj> models[] = {
        {"scatter", benchmodels::Scatter()}, {"walk", benchmodels::Walk()}, {"at eye", atEye}};
    for (const auto& [name, model] : models) {
        for (const ShownViews shown : {ShownViews{true, true, true}, ShownViews{false, true, false},
                                       ShownViews{true, false, false}}) {
            SCOPED_TRACE(testing::Message() << name << " presp " << shown.presp << " left "
                                            << shown.left << " top " << shown.top);
            const auto canvas = [] {
                return RasterCanvas(benchmodels::kViewWidth, benchmodels::kViewHeight);
            };
            std::array<RasterCanvas, 4> together{canvas(), canvas(), canvas(), canvas()};
            std::array<RasterCanvas, 4> inTurn = together;
            const std::pair<bool, Draw> views[] = {{true, &c3dObj::DrawFrontView},
                                                   {shown.left, &c3dObj::DrawLeftView},
                                                   {shown.top, &c3dObj::DrawTopView},
                                                   {shown.presp, &c3dObj::DrawPrespectiveView}};
            bool failed = false;
            for (std::size_t i = 0; i < inTurn.size(); ++i) {
                const auto [show, draw] = views[i];
                try {
                    if (show) {
                        (model.*draw)(inTurn[i], kGreen, kYellow);
                    }
                } catch (const std::overflow_error&) {
                    failed = true;
                }
            }
            bool afterFront = false;
            const auto draw = [&] {
                DrawShownViews(model, {together[0], together[1], together[2], together[3]}, shown,
                               kGreen, kYellow, [&] { afterFront = true; });
            };
            if (failed) {
                EXPECT_THROW(draw(), std::overflow_error);
            } else {
                EXPECT_NO_THROW(draw());
            }
            EXPECT_TRUE(afterFront);
            for (std::size_t i = 0; i < inTurn.size(); ++i) {
                EXPECT_TRUE(SamePixels(together[i], inTurn[i])) << "view " << i;
            }
        }
    }
}

TEST_F(ExtremeModel, EyeAtDepthZeroLeavesThePerspectiveBlankAndTheRestWorking) {
    Obj().AddPoint(kCx + 30, kCy - 20, kCz + 10);
    Obj().AddPoint(kCx - 40, kCy + 30, kCz - 20);
    CheckAllBoxes();
    form->txtCx->setText(QStringLiteral("200"));
    form->txtCy->setText(QStringLiteral("150"));
    form->txtCz->setText(QStringLiteral("-500"));

    form->cmdSetC->click();

    EXPECT_EQ(Obj().GetCZ(), -500.0f);
    EXPECT_TRUE(Blank(form->picPresp));
    const c3dObj model = Obj();
    EXPECT_TRUE(ShowsTheDrawing(form->pic, model, &c3dObj::DrawFrontView));
    EXPECT_TRUE(ShowsTheDrawing(form->picTop, model, &c3dObj::DrawTopView));

    TurnByMouseAndKey();
    const c3dObj turned = TurnedByMouseAndKey(model);
    EXPECT_TRUE(SameOffsets(Obj(), turned));
    EXPECT_TRUE(Blank(form->picPresp));
    EXPECT_TRUE(ShowsTheDrawing(form->picTop, turned, &c3dObj::DrawTopView));
}

TEST_F(ExtremeModel, CentreFarOutsideTheViewsTypedIntoTheBoxes) {
    Obj().AddPoint(kCx + 10, kCy - 20, kCz + 5);
    Obj().AddPoint(kCx - 60, kCy + 40, kCz - 30);
    CheckAllBoxes();
    form->pic_MouseDown(1, 0, kCx + 10, kCy - 20);
    ASSERT_EQ(form->SelectedPoint, 0);
    form->txtCx->setText(QStringLiteral("1e30"));
    form->txtCy->setText(QStringLiteral("-1e30"));
    form->txtCz->setText(QStringLiteral("0"));

    form->cmdSetC->click();

    EXPECT_TRUE(CentreIs(Obj(), 1e30f, -1e30f, 0.0f));
    // The exponent's letter is the locale's.
    EXPECT_EQ(form->txtCx->text().toLower(), QStringLiteral("1e+30"));
    EXPECT_EQ(form->txtCy->text().toLower(), QStringLiteral("-1e+30"));
    EXPECT_EQ(form->txtCz->text(), QStringLiteral("0"));
    // Nothing lies within reach of any view.
    EXPECT_TRUE(Blank(form->pic));
    EXPECT_TRUE(Blank(form->picLeft));
    EXPECT_TRUE(Blank(form->picTop));
    EXPECT_TRUE(Blank(form->picPresp));
    form->mnuRefresh->trigger();

    // Set Point on the selected point: its offsets now span the distance to the far centre.
    form->txtX->setText(QStringLiteral("10"));
    form->txtY->setText(QStringLiteral("-20"));
    form->txtZ->setText(QStringLiteral("5"));
    form->cmdSet->click();
    EXPECT_EQ(Obj().GetX(0), -1e30f);
    EXPECT_EQ(Obj().GetY(0), 1e30f);
    EXPECT_EQ(Obj().GetZ(0), 5.0f);

    const c3dObj before = Obj();
    TurnByMouseAndKey();
    EXPECT_TRUE(SameOffsets(Obj(), TurnedByMouseAndKey(before)));
    EXPECT_TRUE(std::isfinite(LargestMagnitude(Obj())));

    // The largest float as a centre, and back to a centre inside the views.
    form->txtCx->setText(QStringLiteral("3.4028235e38"));
    form->txtCy->setText(QStringLiteral("-3.4028235e38"));
    form->txtCz->setText(QStringLiteral("3.4028235e38"));
    form->cmdSetC->click();
    EXPECT_EQ(Obj().GetCX(), std::numeric_limits<float>::max());
    TurnByMouseAndKey();
    form->txtCx->setText(QStringLiteral("200"));
    form->txtCy->setText(QStringLiteral("150"));
    form->txtCz->setText(QStringLiteral("100"));
    form->cmdSetC->click();
    EXPECT_EQ(Obj().GetCX(), kCx);
    EXPECT_EQ(Obj().nPoints(), 2);
    EXPECT_GT(Count(form->pic, kYellow), 0); // point 1 is back in view
}

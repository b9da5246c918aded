// Set Point and Set Center: the boxes read as absolute coordinates in the default locale, text
// that is not a float leaving the model as it was, and the redraw that follows in every case; what
// the window writes into the boxes reads back in every locale.
#include "BoxNumber.h"
#include "ModelCentre.h"
#include "ModelChecks.h"
#include "WindowFixture.h"

#include <QLocale>
#include <QPushButton>

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// Centre (200, 150, 100); point 0 stored as (10, -20, 5), point 1 as (-60, 40, -30). The front
// view is drawn.
class CoordCommand : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        PlaceAroundTheCentre({{10, -20, 5}, {-60, 40, -30}});
        form->mnuRefresh->trigger();
    }

    void SelectFirstPoint() {
        form->pic_MouseDown(1, 0, kCx + 10, kCy - 20);
        ASSERT_EQ(form->SelectedPoint, 0);
    }

    void TypePoint(const QString& x, const QString& y, const QString& z) {
        form->txtX->setText(x);
        form->txtY->setText(y);
        form->txtZ->setText(z);
    }
    void TypeCentre(const QString& x, const QString& y, const QString& z) {
        form->txtCx->setText(x);
        form->txtCy->setText(y);
        form->txtCz->setText(z);
    }

    // Marks that only a redraw removes, and centre boxes that only a redraw refills.
    void MarkTheViews() {
        form->pic->ForeColor(kRed);
        form->pic->Line(0, 0, 452, 340);
    }
    bool Redrawn() const { return Count(form->pic, kRed) == 0 && Count(form->pic, kYellow) > 0; }

    // The boxes' texts below are written with "." as the decimal mark.
    DefaultLocale english{QLocale(QLocale::English, QLocale::UnitedStates)};
};

using CoordSetPoint = CoordCommand;
using CoordSetCenter = CoordCommand;

} // namespace

TEST_F(CoordSetPoint, WithoutASelectionOnlyRedraws) {
    ASSERT_EQ(form->SelectedPoint, -1);
    TypePoint(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"));
    form->txtCx->setText(QStringLiteral("typed"));
    MarkTheViews();

    form->cmdSet->click();

    EXPECT_TRUE(PointIs(Obj(), 0, 10, -20, 5));
    EXPECT_TRUE(PointIs(Obj(), 1, -60, 40, -30));
    EXPECT_TRUE(Redrawn());
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
    EXPECT_EQ(form->txtX->text(), QStringLiteral("1"));
}

TEST_F(CoordSetPoint, PressFillsTheOffsetsAndSetPointReadsThemAsAbsolute) {
    SelectFirstPoint();
    EXPECT_EQ(form->txtX->text(), QStringLiteral("10"));
    EXPECT_EQ(form->txtY->text(), QStringLiteral("-20"));
    EXPECT_EQ(form->txtZ->text(), QStringLiteral("5"));

    form->cmdSet->click();

    EXPECT_TRUE(PointIs(Obj(), 0, -190, -170, -95));
    EXPECT_TRUE(PointIs(Obj(), 1, -60, 40, -30));
    EXPECT_EQ(Count(form->pic, kRed), 0);
    // Set Point writes no box: the text stays as it was.
    EXPECT_EQ(form->txtX->text(), QStringLiteral("10"));
}

TEST_F(CoordSetPoint, TypedPositionMovesThePointThere) {
    SelectFirstPoint();
    TypePoint(QStringLiteral(" 250 "), QStringLiteral("+100.5"), QStringLiteral("-2.5e1"));

    form->cmdSet->click();

    EXPECT_TRUE(PointIs(Obj(), 0, 50, -49.5f, -125));
    // The point's marker now stands at (250, 100.5) in the front view.
    EXPECT_EQ(Pixel(form->pic, 255, 101), kYellow);
}

TEST_F(CoordSetPoint, TextThatIsNotANumberLeavesThePointAndStillRedraws) {
    SelectFirstPoint();
    for (const char* bad : {"abc", "", " ", "1,5", "2 3", "0x10", "nan", "NaN", "inf", "-inf",
                            "Infinity", "1e39", "-1e39", "3.5e38"}) {
        SCOPED_TRACE(bad);
        TypePoint(QStringLiteral("1"), QString::fromLatin1(bad), QStringLiteral("3"));
        form->txtCz->setText(QStringLiteral("typed"));
        MarkTheViews();

        form->cmdSet->click();

        EXPECT_TRUE(PointIs(Obj(), 0, 10, -20, 5));
        EXPECT_TRUE(Redrawn());
        EXPECT_EQ(form->txtX->text(), QStringLiteral("1"));
        EXPECT_EQ(form->txtY->text(), QString::fromLatin1(bad));
        EXPECT_EQ(form->txtZ->text(), QStringLiteral("3"));
        EXPECT_EQ(form->txtCz->text(), QStringLiteral("100"));
    }
    // Each box is read: a bad x or z stops the setting as well.
    TypePoint(QStringLiteral("x"), QStringLiteral("2"), QStringLiteral("3"));
    form->cmdSet->click();
    TypePoint(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("z"));
    form->cmdSet->click();
    EXPECT_TRUE(PointIs(Obj(), 0, 10, -20, 5));
}

TEST_F(CoordSetPoint, LargestFloatIsStillANumber) {
    SelectFirstPoint();
    Obj().SetCxyz(0, 0, 0);
    TypePoint(QStringLiteral("3.4028235e38"), QStringLiteral("-3.4028235E+38"),
              QStringLiteral("1.17549435e-38"));

    form->cmdSet->click();

    EXPECT_TRUE(PointIs(Obj(), 0, std::numeric_limits<float>::max(),
                        -std::numeric_limits<float>::max(), std::numeric_limits<float>::min()));
}

TEST_F(CoordSetPoint, SelectionThatNamesNoPointAnyMoreChangesNoOtherPoint) {
    form->pic_MouseDown(1, 0, kCx - 60, kCy + 40);
    ASSERT_EQ(form->SelectedPoint, 1);
    form->mnuReset->trigger();
    Obj().AddPoint(kCx + 1, kCy + 2, kCz + 3); // the only point, index 0
    TypePoint(QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"));
    MarkTheViews();

    form->cmdSet->click();

    ASSERT_EQ(Obj().nPoints(), 1);
    EXPECT_TRUE(PointIs(Obj(), 0, 1, 2, 3));
    EXPECT_TRUE(Redrawn());
}

TEST_F(CoordSetCenter, TypedCentreMovesTheWholeDrawing) {
    form->chkTop->setChecked(true);
    const int yellowFront = Count(form->pic, kYellow);
    // Point 1 is drawn at (140, 190) in the front view.
    ASSERT_EQ(Pixel(form->pic, 145, 190), kYellow);
    TypeCentre(QStringLiteral("300"), QStringLiteral("200"), QStringLiteral("100"));

    form->cmdSetC->click();

    EXPECT_TRUE(CentreIs(Obj(), 300, 200, 100));
    EXPECT_TRUE(PointIs(Obj(), 0, 10, -20, 5));
    EXPECT_TRUE(PointIs(Obj(), 1, -60, 40, -30));
    EXPECT_EQ(Pixel(form->pic, 145, 190), kBlack);
    EXPECT_EQ(Pixel(form->pic, 245, 240), kYellow);
    EXPECT_EQ(Pixel(form->picTop, 245, 70), kYellow);
    EXPECT_EQ(Count(form->pic, kYellow), yellowFront);
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("300"));
    EXPECT_EQ(form->txtCy->text(), QStringLiteral("200"));
    EXPECT_EQ(form->txtCz->text(), QStringLiteral("100"));
}

TEST_F(CoordSetCenter, BoxThatHoldsNoNumberLeavesTheCentreAndIsRefilled) {
    for (const char* bad : {"", "abc", "nan", "inf", "1e39", "-1e39"}) {
        SCOPED_TRACE(bad);
        TypeCentre(QStringLiteral("300"), QString::fromLatin1(bad), QStringLiteral("50"));
        MarkTheViews();

        form->cmdSetC->click();

        EXPECT_TRUE(CentreIs(Obj(), kCx, kCy, kCz));
        EXPECT_TRUE(Redrawn());
        EXPECT_EQ(form->txtCx->text(), QStringLiteral("200"));
        EXPECT_EQ(form->txtCy->text(), QStringLiteral("150"));
        EXPECT_EQ(form->txtCz->text(), QStringLiteral("100"));
    }
}

TEST_F(CoordSetCenter, CentreAsTheRedrawWroteItReadsBackUnchanged) {
    const float centres[][3] = {{226.5f, 170.5f, 113.25f},
                                {1e30f, -1e30f, 0.0f},
                                {12345670.0f, -2.5e-7f, -0.0f},
                                {3e38f, -1.5f, 0.125f}};
    // Hebrew marks its minus as left-to-right, Swedish writes U+2212 and "×10^".
    for (const QLocale::Language language : {QLocale::English, QLocale::Hebrew, QLocale::Swedish}) {
        const DefaultLocale locale{QLocale(language)};
        for (const auto& c : centres) {
            Obj().SetCxyz(c[0], c[1], c[2]);
            form->mnuRefresh->trigger();
            SCOPED_TRACE(form->txtCx->text().toStdString() + " " +
                         form->txtCy->text().toStdString() + " " +
                         form->txtCz->text().toStdString());
            Obj().SetCxyz(1, 2, 3);

            form->cmdSetC->click();

            EXPECT_TRUE(CentreIs(Obj(), c[0], c[1], c[2]));
        }
    }
}

TEST_F(CoordSetCenter, GermanDecimalCommaAndExponentsAreRead) {
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    TypeCentre(QStringLiteral("1,5"), QStringLiteral("1E2"), QStringLiteral(" -2,25 "));

    form->cmdSetC->click();

    EXPECT_TRUE(CentreIs(Obj(), 1.5f, 100.0f, -2.25f));
    EXPECT_EQ(form->txtCx->text(), QStringLiteral("1,5"));
    EXPECT_EQ(form->txtCy->text(), QStringLiteral("100"));
    EXPECT_EQ(form->txtCz->text(), QStringLiteral("-2,25"));

    // What the boxes show reads back, also in exponent form.
    Obj().SetCxyz(1e30f, 0.5f, -1e-20f);
    form->mnuRefresh->trigger();
    Obj().SetCxyz(0, 0, 0);
    form->cmdSetC->click();
    EXPECT_TRUE(CentreIs(Obj(), 1e30f, 0.5f, -1e-20f));

    // A selected point takes the comma too.
    Obj().SetCxyz(0, 0, 0);
    form->pic_MouseDown(1, 0, 10, -20); // point 0, stored (10, -20, 5)
    ASSERT_EQ(form->SelectedPoint, 0);
    EXPECT_EQ(form->txtX->text(), QStringLiteral("10"));
    TypePoint(QStringLiteral("0,5"), QStringLiteral("1e1"), QStringLiteral("-7,75"));
    form->cmdSet->click();
    EXPECT_TRUE(PointIs(Obj(), 0, 0.5f, 10.0f, -7.75f));
}

TEST_F(CoordSetCenter, GermanLocaleRefusesNanInfAndValuesBeyondTheFloatRange) {
    const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
    for (const char* bad : {"nan", "inf", "1e39", "1,5,5", "abc"}) {
        SCOPED_TRACE(bad);
        TypeCentre(QString::fromLatin1(bad), QStringLiteral("1"), QStringLiteral("1"));
        form->cmdSetC->click();
        EXPECT_TRUE(CentreIs(Obj(), kCx, kCy, kCz));
    }
}

// What the boxes show, in every locale Qt knows: visible characters only, an ASCII minus, and
// text that reads back to the same float.
TEST(CoordBoxNumber, TextTheWindowWritesReadsBackInEveryLocale) {
    const float values[] = {-226.5f, -2.5e-7f, -std::numeric_limits<float>::denorm_min(),
                            1.5e30f, -3.4e38f, 0.0f};
    // isPrint() is false for format characters such as the direction marks.
    const auto visible = [](char32_t c) { return QChar::isPrint(c) && c != U'\u2212'; };
    const auto fails = [&](float value) {
        const QString text = BoxNumber::NumberText(value);
        const QList<uint> codes = text.toUcs4();
        return !std::all_of(codes.begin(), codes.end(), visible) ||
               BoxNumber::ReadNumber(text) != value;
    };
    QStringList failing;
    for (const QLocale& locale : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript,
                                                          QLocale::AnyTerritory)) {
        const DefaultLocale scope(locale);
        const auto* bad = std::find_if(std::begin(values), std::end(values), fails);
        if (bad != std::end(values)) {
            failing << locale.bcp47Name() + QLatin1Char(' ') + BoxNumber::NumberText(*bad);
        }
    }
    EXPECT_TRUE(failing.isEmpty()) << failing.size() << ": " << failing.join(u", ").toStdString();
}

// The locale's own forms a person types, invisible direction marks, group separators refused,
// and values too small for a float read as zero.
TEST(CoordBoxNumber, TypedLocaleFormsAreRead) {
    const struct {
        QLocale::Language language;
        const char* typed;
        std::optional<float> value;
    } cases[] = {
        {QLocale::Swedish, " \u22121,5 ", -1.5f},
        {QLocale::Swedish, "2,5\u00D710^\u22123", 2.5e-3f},
        {QLocale::Swedish, "1\u00A0000", std::nullopt},
        {QLocale::Persian, "\u200E\u2212\u06F1\u066B\u06F5\u00D7\u06F1\u06F0^\u06F2", -150.0f},
        {QLocale::Arabic, "\u061C-\u0662\u066B\u0665", -2.5f},
        {QLocale::English, "\u200E-1.5E\u200E-20", -1.5e-20f},
        {QLocale::English, "\u22122", -2.0f},
        {QLocale::German, "1.000", std::nullopt},
        {QLocale::English, "1e-50", 0.0f},
        {QLocale::English, "-1E-400", 0.0f},
        {QLocale::English, "1e400", std::nullopt},
        {QLocale::Swedish, "1\u00D710^\u2212400", 0.0f},
        {QLocale::German, "1,5e-50", 0.0f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const DefaultLocale scope{QLocale(c.language)};
        EXPECT_EQ(BoxNumber::ReadNumber(QString::fromUtf8(c.typed)), c.value);
    }
    // Mantissas long enough to leave the double range on their own.
    const DefaultLocale english{QLocale(QLocale::English)};
    const QString zeros(400, QLatin1Char('0'));
    EXPECT_EQ(BoxNumber::ReadNumber(QStringLiteral("0.") + zeros + QLatin1Char('1')), 0.0f);
    EXPECT_EQ(BoxNumber::ReadNumber(QLatin1Char('1') + zeros + QStringLiteral("e-9")),
              std::nullopt);
}

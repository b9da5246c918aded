// Number text: seven significant digits written, decimal numbers read, and neither depending on
// the process locale, for G3D files and the window alike.
#include "NumberText.h"
#include "FileBytes.h"
#include "TempFolder.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>
#include <locale>
#include <stdexcept>
#include <string>

TEST(NumberTextFormat, WritesSevenSignificantDigitsWithoutTrailingZeros) {
    EXPECT_EQ(NumberText::Format(10.0f), "10");
    EXPECT_EQ(NumberText::Format(-2.5f), "-2.5");
    EXPECT_EQ(NumberText::Format(1.0f / 3), "0.3333333");
    EXPECT_EQ(NumberText::Format(2.0f / 3), "0.6666667");
    EXPECT_EQ(NumberText::Format(0.1f), "0.1"); // not the float's full 0.100000001
    EXPECT_EQ(NumberText::Format(123456.7f), "123456.7");
    EXPECT_EQ(NumberText::Format(9999999.0f), "9999999");
    EXPECT_EQ(NumberText::Format(0.0f), "0");
    EXPECT_EQ(NumberText::Format(-0.0f), "0"); // a zero is not negative
}

TEST(NumberTextFormat, UsesTheExponentFormWhereSevenDigitsDoNotReach) {
    EXPECT_EQ(NumberText::Format(12345678.0f), "1.234568E+07");
    EXPECT_EQ(NumberText::Format(-3.4e38f), "-3.4E+38");
    EXPECT_EQ(NumberText::Format(std::numeric_limits<float>::max()), "3.402823E+38");
    EXPECT_EQ(NumberText::Format(1e-7f), "1E-07");
    EXPECT_EQ(NumberText::Format(std::numeric_limits<float>::denorm_min()), "1.401298E-45");
}

TEST(NumberTextParse, ReadsSignsPointsExponentsAndBlanksAround) {
    EXPECT_EQ(NumberText::Parse("1.5"), 1.5f);
    EXPECT_EQ(NumberText::Parse("  -2.25  "), -2.25f);
    EXPECT_EQ(NumberText::Parse("+7"), 7.0f);
    EXPECT_EQ(NumberText::Parse(" +.5"), 0.5f);
    EXPECT_EQ(NumberText::Parse("5."), 5.0f);
    EXPECT_EQ(NumberText::Parse("1.234568E+07"), 12345680.0f);
    EXPECT_EQ(NumberText::Parse("-3e2"), -300.0f);
    EXPECT_EQ(NumberText::Parse("2.5e-3"), 0.0025f);
    EXPECT_EQ(NumberText::Parse("0.1"), 0.1f);
    EXPECT_EQ(NumberText::Parse("-1e-400"), -0.0f); // as 1e-50, too small even for a double
}

TEST(NumberTextParse, LargestValuesRoundToTheLargestFloatOrAreRefused) {
    EXPECT_EQ(NumberText::Parse("3.4028235e38"), std::numeric_limits<float>::max());
    EXPECT_EQ(NumberText::Parse("-3.4028235e38"), -std::numeric_limits<float>::max());
    EXPECT_EQ(NumberText::Parse("3.4028236e38"), std::nullopt); // past half a step above
    EXPECT_EQ(NumberText::Parse("1e39"), std::nullopt);
    EXPECT_EQ(NumberText::Parse("-1e39"), std::nullopt);
    EXPECT_EQ(NumberText::Parse("1e400"), std::nullopt);
    EXPECT_EQ(NumberText::Parse("1" + std::string(400, '0') + "e-50"), std::nullopt); // 1e350
}

TEST(NumberTextParse, RefusesWhatIsNotADecimalNumber) {
    for (const char* text : {"",    "   ", "nan", "NaN",   "inf",  "-inf", "infinity", "abc",
                             "1,5", "1 5", "\t1", "1\t",   "++1",  "+-1",  "-",        "+",
                             ".",   "1e",  "e5",  "1.2.3", "0x10", "1e+",  "1_000"}) {
        EXPECT_EQ(NumberText::Parse(text), std::nullopt) << "'" << text << "'";
    }
}

TEST(NumberTextParse, ReadsBackEveryFormattedValueToTheSameText) {
    for (const float value : {10.0f, -2.5f, 1.0f / 3, 12345678.0f, 1e-7f, 3.4e38f, -1.17549435e-38f,
                              65504.0f, 0.001f, 99999.99f}) {
        const std::string text = NumberText::Format(value);
        const auto back = NumberText::Parse(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(NumberText::Format(*back), text);
    }
}

// Qt sets the C library's locale from the environment; a German one uses a decimal comma.
class CommaDecimalLocale : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::setlocale(LC_ALL, nullptr);
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
            GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
        }
        // Streams take their number format from the global C++ locale: set that too.
        try {
            savedGlobal_ = std::locale::global(std::locale("de_DE.UTF-8"));
        } catch (const std::runtime_error&) {
            GTEST_SKIP() << "no C++ locale de_DE.UTF-8";
        }
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 1.5);
        ASSERT_STREQ(text, "1,5") << "the locale does not use a decimal comma";
    }
    void TearDown() override {
        std::locale::global(savedGlobal_);
        std::setlocale(LC_ALL, saved_.c_str());
    }

private:
    std::string saved_;
    std::locale savedGlobal_;
};

TEST_F(CommaDecimalLocale, FormatAndParse_StillUseAFullStop) {
    EXPECT_EQ(NumberText::Format(-2.5f), "-2.5");
    EXPECT_EQ(NumberText::Format(12345678.0f), "1.234568E+07");
    EXPECT_EQ(NumberText::Parse(" 2.5 "), 2.5f);
    EXPECT_EQ(NumberText::Parse("1.5e3"), 1500.0f);
}

TEST_F(CommaDecimalLocale, SaveAndLoad_StillUseAFullStop) {
    TempFolder folder;
    const std::string file = folder.file("m.G3D");
    c3dObj saved;
    saved.ObjName = "m";
    saved.AddPoint(1.5f, -2.25f, 1.0f / 3);
    saved.AddPoint(1234.5f, 0, 12345678.0f);
    saved.SaveFile(file);
    EXPECT_EQ(ReadBytes(file), "G3DModel\r\nm\r\n1.5,-2.25,0.3333333\r\n1234.5,0,1.234568E+07\r\n");

    WriteBytes(file, "G3DModel\r\nm\r\n0.5,-1.25,2e1\r\n");
    c3dObj loaded;
    loaded.LoadFileEx(file);
    ASSERT_EQ(loaded.nPoints(), 1);
    EXPECT_EQ(loaded.GetX(0), 0.5f);
    EXPECT_EQ(loaded.GetY(0), -1.25f);
    EXPECT_EQ(loaded.GetZ(0), 20.0f);
}

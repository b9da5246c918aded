// Random models through a file and back: every value returns rounded to seven significant
// digits, and saving what was loaded writes the very same bytes again.
#include "FileTestSupport.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

using filetest::ReadBytes;
using filetest::TempFolder;

namespace {

class RandomValues {
public:
    explicit RandomValues(uint32_t seed) : random_(seed) {}

    int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

    float Value() {
        const float sign = Below(2) == 0 ? 1.0f : -1.0f;
        switch (Below(8)) {
        case 0: // tiny, subnormal ones too
            return sign * static_cast<float>(std::pow(10.0, Uniform(-45.5, -30)));
        case 1:
            return sign * static_cast<float>(std::pow(10.0, Uniform(-8, 8)));
        case 2: // huge, up to the largest float
            return sign * static_cast<float>(std::min(std::pow(10.0, Uniform(30, 38.6)),
                                                      double{std::numeric_limits<float>::max()}));
        case 3: // whole numbers, some past where floats still hold every integer
            return static_cast<float>(Below(2'000'000'000) - 1'000'000'000) /
                   static_cast<float>(1 << Below(31));
        case 4: // thirds
            return static_cast<float>(Below(3'000'000) - 1'500'000) / 3.0f;
        case 5: {
            const float special[] = {-0.0f,
                                     0.0f,
                                     std::numeric_limits<float>::max(),
                                     std::numeric_limits<float>::min(),
                                     std::numeric_limits<float>::denorm_min(),
                                     1e-7f,
                                     3.4e38f};
            return sign * special[Below(7)];
        }
        default: { // any finite bit pattern
            float value = 0;
            do {
                value = std::bit_cast<float>(static_cast<uint32_t>(random_()));
            } while (!std::isfinite(value));
            return value;
        }
        }
    }

    // Any bytes but a line feed, which would end the name's line.
    std::string Name() {
        std::string name(static_cast<std::size_t>(Below(12)), ' ');
        for (char& ch : name) {
            do {
                ch = static_cast<char>(Below(256));
            } while (ch == '\n');
        }
        return name;
    }

private:
    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }

    std::mt19937 random_;
};

// The value written with seven significant digits and read back, by the C library.
float SevenDigits(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6e", static_cast<double>(value));
    return std::strtof(text, nullptr);
}

} // namespace

TEST(G3dRoundTrip, RandomModels_ComeBackToSevenDigitsAndSaveToTheSameBytes) {
    TempFolder folder;
    const std::string first = folder.file("first.G3D");
    const std::string second = folder.file("second.G3D");
    RandomValues random(314159);
    for (int model = 0; model < 60; ++model) {
        SCOPED_TRACE("model " + std::to_string(model));
        c3dObj obj;
        obj.ObjName = random.Name();
        const int count = random.Below(300);
        for (int i = 0; i < count; ++i) {
            obj.AddPoint(random.Value(), random.Value(), random.Value());
        }
        obj.SaveFile(first);

        c3dObj back; // the same centre, (0, 0, 0)
        back.LoadFileEx(first);
        ASSERT_EQ(back.ObjName, obj.ObjName);
        ASSERT_EQ(back.nPoints(), obj.nPoints());
        for (int16_t i = 0; i < obj.nPoints(); ++i) {
            ASSERT_EQ(back.GetX(i), SevenDigits(obj.GetX(i))) << "x of point " << i;
            ASSERT_EQ(back.GetY(i), SevenDigits(obj.GetY(i))) << "y of point " << i;
            ASSERT_EQ(back.GetZ(i), SevenDigits(obj.GetZ(i))) << "z of point " << i;
        }

        back.SaveFile(second);
        ASSERT_EQ(ReadBytes(second), ReadBytes(first));
    }
}

// Random models through a file and back: every value returns rounded to seven significant
// digits, and saving what was loaded writes the very same bytes again.
#include "FileBytes.h"
#include "SeededRandom.h"
#include "TempFolder.h"
#include "c3dObj.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace {

// Tiny, everyday and huge values, whole numbers, thirds, the float's own limits and any finite
// bit pattern.
float RandomValue(SeededRandom& random) {
    const float sign = random.Below(2) == 0 ? 1.0f : -1.0f;
    switch (random.Below(8)) {
    case 0: // tiny, subnormal ones too
        return sign * static_cast<float>(std::pow(10.0, random.Uniform(-45.5, -30)));
    case 1:
        return sign * static_cast<float>(std::pow(10.0, random.Uniform(-8, 8)));
    case 2: // huge, up to the largest float
        return sign * static_cast<float>(std::min(std::pow(10.0, random.Uniform(30, 38.6)),
                                                  double{std::numeric_limits<float>::max()}));
    case 3: // whole numbers, some past where floats still hold every integer
        return static_cast<float>(random.Below(2'000'000'000) - 1'000'000'000) /
               static_cast<float>(1 << random.Below(31));
    case 4: // thirds
        return static_cast<float>(random.Below(3'000'000) - 1'500'000) / 3.0f;
    case 5: {
        const float special[] = {-0.0f,
                                 0.0f,
                                 std::numeric_limits<float>::max(),
                                 std::numeric_limits<float>::min(),
                                 std::numeric_limits<float>::denorm_min(),
                                 1e-7f,
                                 3.4e38f};
        return sign * special[random.Below(7)];
    }
    default: { // any finite bit pattern
        float value = 0;
        do {
            value = std::bit_cast<float>(random.Bits());
        } while (!std::isfinite(value));
        return value;
    }
    }
}

// Any bytes but a line feed, which would end the name's line.
std::string RandomName(SeededRandom& random) {
    std::string name(static_cast<std::size_t>(random.Below(12)), ' ');
    for (char& ch : name) {
        do {
            ch = static_cast<char>(random.Below(256));
        } while (ch == '\n');
    }
    return name;
}

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
    SeededRandom random(314159);
    for (int model = 0; model < 60; ++model) {
        SCOPED_TRACE("model " + std::to_string(model));
        c3dObj obj;
        obj.ObjName = RandomName(random);
        const int count = random.Below(300);
        for (int i = 0; i < count; ++i) {
            obj.AddPoint(RandomValue(random), RandomValue(random), RandomValue(random));
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

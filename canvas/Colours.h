// The colours of the views, as 0x00BBGGRR values (low byte red).
#pragma once

#include <cstdint>

inline constexpr uint32_t kBlack = 0x000000;  // background, and erasing
inline constexpr uint32_t kGreen = 0x00FF00;  // lines between points
inline constexpr uint32_t kYellow = 0x00FFFF; // point markers
inline constexpr uint32_t kRed = 0x0000FF;    // the picked point
inline constexpr uint32_t kBlue = 0xFF0000;   // the centre cross

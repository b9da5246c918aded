// The sizes the window's layout and its view commands share, in pixels.
#pragma once

#include <QRect>
#include <QSize>

namespace layout {

// One view in the 2 x 2 grid; an enlarged view is twice as wide and twice as high.
inline constexpr QSize kView{457, 345};
inline constexpr QSize kEnlargedView{kView.width() * 2, kView.height() * 2};
// The tool panel is the strip left of the views.
inline constexpr int kToolPanelWidth = 104;
// The smallest client area that shows the views whole, in the grid and enlarged alike; the window
// starts maximized, and this is its size when it is not.
inline constexpr QSize kClient{kToolPanelWidth + kEnlargedView.width(), kEnlargedView.height()};

} // namespace layout

// The window's pictures, each drawn at its own pixel size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pictures/Canvas.h"

namespace pictures {

// The shop panel at the right of the window.
Canvas DrawShopPanel();
// The top bar behind the lives text.
Canvas DrawTopBar();
// The bottom bar behind the status line.
Canvas DrawBottomBar();
// One of the five bonus pictures, numbered 1 to 5.
Canvas DrawBonus(int number);
// The picture that shows where tiles have gone at the end.
Canvas DrawFinale();

// Two overlapping squares: `back` at the upper left, partly covered by `front`.
void DrawSquaresLogo(cairo_t* cr, double x0, double y0, double x1, double y1, Rgb back, Rgb front);

}  // namespace pictures

// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

class Canvas;

// How a reading looks on the 137 x 17 images: a framed bar with the free part
// green over the light red of the used part and the two figures on it, and the
// two differences at the left and right of a difference row.
namespace meter {
void DrawMeter(Canvas& canvas, int width, int height, uint64_t value, uint64_t maximum);
// The difference row's brush must already be the panel colour.
void DrawDiffeLeft(Canvas& canvas, int64_t difference);
void DrawDiffeRight(Canvas& canvas, int width, int64_t difference);
// Width in pixels of the free part, counted from x = 1.
int FreePartEnd(int width, uint64_t value, uint64_t maximum);
} // namespace meter

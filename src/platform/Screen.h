// The screen's colour depth and resolution.
#pragma once

// Bits per pixel of the screen, or the value a test set.
int ScreenBitsPerPixel();
// 0 returns to the real screen depth.
void setScreenBitsPerPixelOverride(int bitsPerPixel);

// The screen's logical pixels per inch.
int ScreenPixelsPerInch();

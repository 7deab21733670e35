// A field's or entry's font as a device context draws it: on the field canvas at a scaled height,
// on the printer at the height its point size has at the printer's resolution.
#pragma once

#include "document/FormDocument.h"
#include "platform/Dc.h"

// The font with its height replaced by heightPixels (device pixels; negative for a character
// height, as the font records keep it).
DcFont dcFontFor(const FontSpec& font, int32_t heightPixels);

// The font as printed at ry pixels per inch vertically: height -(size x ry div 72).
DcFont printFont(const FontSpec& font, int ry);

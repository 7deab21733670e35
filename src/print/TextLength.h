// Whether a single-line value fits its field on paper: the text is measured with the printer's
// font metrics against the width the field's rectangle gets on the printed page.
#pragma once

#include "document/FormDocument.h"
#include "platform/Dc.h"
#include "print/FormSize.h"

#include <string_view>

class Printer;

// Horizontal printer pixels per picture pixel. Always the portrait assignment: the form's x
// against the printer's horizontal resolution, whatever the printer's orientation.
double printerPixelsPerPictureX(const OrderedFormSize& size, double printerMmPerInchX, int dpiX);

// trunc(right * sx) - trunc(left * sx): each edge lands on a whole printer pixel first.
int64_t printedFieldWidth(const EntryLayout& entry, double sx);

// True when the text of a single-line entry is as wide as its printed field or wider; a
// multi-line entry wraps, so it never is. The printer's canvas keeps the entry's font.
bool textTooLong(Printer& printer, const OrderedFormSize& size, double printerMmPerInchX, const EntryLayout& entry,
                 std::string_view text);

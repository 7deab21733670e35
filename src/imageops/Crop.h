// Cutting the selected part out of a picture.
#pragma once

#include "imageops/SelectionRect.h"
#include "imgrove/DibFiles.h"

// A selection that crops nothing: "Select an rectangle area first!".
bool isEmptySelection(const SelectionRect& selection);
// The selected part (right and bottom exclusive), cut to the picture; bits null when newdib
// fails or nothing of the selection lies on the picture. Progress per new row, without the 0
// before and after.
Dib cropDib(const Dib& picture, const SelectionRect& selection, const DibProgress& progress = {});

// A rectangle of picture pixels chosen on the Retouch tab; plain data, so that the operations
// on it need nothing of the window.
#pragma once

#include "imgrove/IntRect.h"

// The retouch selection: picture pixels, right and bottom exclusive.
using SelectionRect = IntRect;

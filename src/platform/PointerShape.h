// The mouse pointer's shapes the picture views ask for, as plain data: the views' cores decide
// the shape, and the widget shows it through qCursorFor (ProgramPictures.h).
#pragma once

enum class PointerShape { Arrow, Cross, SizeWe, SizeNs, SizeNwse, SizeNesw, PointingHand, Grab, Magnifier };

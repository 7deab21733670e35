// What the device context's source files share; not part of its interface.
#pragma once

#include "platform/Dc.h"

#include <QColor>

// The colour a painter draws for a colour value, system colours resolved.
inline QColor toQColor(COLORREF value)
{
    const COLORREF c = ResolveColor(value);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

#include "print/DeviceFont.h"

#include "platform/CodePage.h"
#include "print/PrintPlacement.h"

DcFont dcFontFor(const FontSpec& font, int32_t heightPixels)
{
    DcFont result;
    result.faceName = ansiToQString(font.faceName);
    result.height = heightPixels;
    result.bold = font.style & FontBold;
    result.italic = font.style & FontItalic;
    result.underline = font.style & FontUnderline;
    result.strikeOut = font.style & FontStrikeOut;
    result.pitch = font.pitch;
    result.color = COLORREF(uint32_t(font.color));
    return result;
}

DcFont printFont(const FontSpec& font, int ry) { return dcFontFor(font, printFontHeight(font.size, ry)); }

#include "editor/FieldFont.h"

#include "platform/CodePage.h"

#include <QSettings>

#include <cmath>

namespace {

QColor qColorFor(int32_t color)
{
    const COLORREF value = ResolveColor(COLORREF(color));
    return QColor(GetRValue(value), GetGValue(value), GetBValue(value));
}

const QString kGroup = QStringLiteral("DefaultFieldFont");

}  // namespace

FontChoice fontChoiceFor(const FontSpec& font)
{
    QFont qfont(ansiToQString(font.faceName));
    qfont.setPointSize(font.size > 0 ? font.size : 10);
    qfont.setBold(font.style & FontBold);
    qfont.setItalic(font.style & FontItalic);
    qfont.setUnderline(font.style & FontUnderline);
    qfont.setStrikeOut(font.style & FontStrikeOut);
    qfont.setFixedPitch(font.pitch == 2);
    return {qfont, qColorFor(font.color)};
}

FontSpec fontSpecFrom(const FontChoice& choice, const FontSpec& before)
{
    FontSpec font = before;
    font.faceName = qStringToAnsi(choice.font.family());
    // The pitch describes the face; a different face may have another.
    if (font.faceName != before.faceName)
        font.pitch = 0;
    if (choice.font.pointSize() > 0)
        font.setSize(choice.font.pointSize());
    else if (choice.font.pixelSize() > 0)
        font.setHeight(-choice.font.pixelSize());
    font.style = uint8_t((choice.font.bold() ? FontBold : 0) | (choice.font.italic() ? FontItalic : 0)
                         | (choice.font.underline() ? FontUnderline : 0) | (choice.font.strikeOut() ? FontStrikeOut : 0));
    if (choice.color != qColorFor(before.color))
        font.color = int32_t(RGBColor(uint8_t(choice.color.red()), uint8_t(choice.color.green()),
                                      uint8_t(choice.color.blue())));
    return font;
}

FontSpec loadDefaultFieldFont(QSettings& settings)
{
    const FontSpec start;
    FontSpec font;
    settings.beginGroup(kGroup);
    font.faceName = qStringToAnsi(settings.value(QStringLiteral("Name"), ansiToQString(start.faceName)).toString());
    font.height = settings.value(QStringLiteral("Height"), start.height).toInt();
    font.size = settings.value(QStringLiteral("Size"), start.size).toInt();
    font.color = settings.value(QStringLiteral("Color"), start.color).toInt();
    font.pitch = uint8_t(settings.value(QStringLiteral("Pitch"), start.pitch).toUInt());
    font.style = uint8_t(settings.value(QStringLiteral("Style"), start.style).toUInt());
    settings.endGroup();
    // A face name lost in the store would draw in whatever face the system picks.
    if (font.faceName.empty())
        font.faceName = start.faceName;
    return font;
}

void saveDefaultFieldFont(QSettings& settings, const FontSpec& font)
{
    settings.beginGroup(kGroup);
    settings.setValue(QStringLiteral("Name"), ansiToQString(font.faceName));
    settings.setValue(QStringLiteral("Height"), font.height);
    settings.setValue(QStringLiteral("Size"), font.size);
    settings.setValue(QStringLiteral("Color"), font.color);
    settings.setValue(QStringLiteral("Pitch"), int(font.pitch));
    settings.setValue(QStringLiteral("Style"), int(font.style));
    settings.endGroup();
}

// A form the print tests share: 0.1 mm per picture pixel, the paper's corner at picture (0, 0),
// a white 24-bit picture of 1200 x 1800 pixels with two black 10 x 10 corner marks, and one
// record whose single entry lies at picture (300, 400)-(700, 500).
#pragma once

#include "document/FormDocument.h"

#include <cstring>

namespace printtest {

constexpr int32_t kPictureWidth = 1200;
constexpr int32_t kPictureHeight = 1800;
// Top-left corners of the two marks, picture pixels.
constexpr PointI kMark1{100, 200};
constexpr PointI kMark2{1090, 1690};
constexpr int32_t kMarkSize = 10;

inline Dib markedPicture()
{
    Dib dib = newdib(kPictureWidth, kPictureHeight, 24, nullptr, 0);
    std::memset(dib.bits, 0xFF, size_t(dib.rowSize) * kPictureHeight);
    for (const PointI mark : {kMark1, kMark2})
        for (int32_t y = mark.y; y < mark.y + kMarkSize; ++y)
            for (int32_t x = mark.x; x < mark.x + kMarkSize; ++x)
                setpixel(dib, x, y, 0);
    return dib;
}

inline RecordEntry entry(const char* name, const char* value, int32_t left = 300, int32_t top = 400,
                         int32_t right = 700, int32_t bottom = 500)
{
    RecordEntry e;
    e.left = left;
    e.top = top;
    e.right = right;
    e.bottom = bottom;
    e.font.setSize(12);
    e.font.color = 0;
    e.name = name;
    if (value)
        e.value = value;
    return e;
}

// The form size only: points (100, 200) and (1100, 1700) at (10, 20) and (110, 170) mm.
inline void setFormSize(FormDocument& doc)
{
    doc.FirstPoint = {100, 200};
    doc.SecondPoint = {1100, 1700};
    doc.FirstPointMm = {10, 20};
    doc.SecondPointMm = {110, 170};
}

inline void makeForm(FormDocument& doc, bool withPicture = true)
{
    if (withPicture)
        doc.picture.reset(markedPicture());
    setFormSize(doc);
    FormField field;
    field.left = 300;
    field.top = 400;
    field.right = 700;
    field.bottom = 500;
    field.name = "Name";
    field.font.setSize(12);
    field.font.color = 0;
    doc.fields = {field};
    doc.records = {FormRecord{{entry("Name", "HHHH")}}};
}

}  // namespace printtest

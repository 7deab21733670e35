// Printed pages as PNG files: the smallest kind of PNG that keeps every pixel's colour, at
// zlib's fastest level, since a page is mostly white and written once.
#pragma once

#include <QImage>

class QIODevice;

enum class PagePngKind {
    Bilevel,  // only black and white: 1 bit a pixel
    Grey,     // only greys: 8 bits a pixel
    Colour,   // 8 bits each of red, green and blue
};

PagePngKind pagePngKind(const QImage& page);

// Writes the page with its resolution; false when the device does not take every byte or the
// page is empty.
bool writePagePng(const QImage& page, QIODevice& out);

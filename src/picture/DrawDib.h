// The one drawing routine for the picture of the form, on screen, printer pages and memory
// bitmaps, and the small picture accessors.
#pragma once

#include "imgrove/Dib.h"
#include "platform/Dc.h"

#include <cstdint>
#include <functional>

class Prompts;

int32_t DibWidth(const Dib& dib);
int32_t DibHeight(const Dib& dib);
int DibBitCount(const Dib& dib);
// 2, 16, 256 or 16777216.
int32_t DibColorCount(const Dib& dib);

// Copies the source rectangle of picture (srcTop counted from the top row; it may lie partly
// outside the picture) stretched into the destination rectangle of dc.
void DrawDib(Dc& dc, int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight, const Dib& picture,
             int32_t srcX, int32_t srcTop, int32_t srcWidth, int32_t srcHeight, bool allowHalftone, uint32_t rop,
             bool viaPrinterBitmap);

// The row ways: nearest-neighbour scaling by the program, one destination row at a time.
void DrawDibRows24(Dc& dc, int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight,
                   const Dib& picture, int32_t srcX, int32_t srcTop, int32_t srcWidth, int32_t srcHeight);
void DrawDibRows8(Dc& dc, int32_t destX, int32_t destY, int32_t destWidth, int32_t destHeight, const Dib& picture,
                  int32_t srcX, int32_t srcTop, int32_t srcWidth, int32_t srcHeight);

// The source and destination rectangles of one draw.
struct DrawRects {
    int32_t destX = 0;
    int32_t destY = 0;
    int32_t destWidth = 0;
    int32_t destHeight = 0;
    int32_t srcX = 0;
    int32_t srcTop = 0;
    int32_t srcWidth = 0;
    int32_t srcHeight = 0;
    bool operator==(const DrawRects&) const = default;
};
// Cuts the source rectangle to the picture, shrinking the destination in proportion.
DrawRects clipDrawRects(DrawRects rects, int32_t pictureWidth, int32_t pictureHeight);

enum class DrawWay { PrinterBitmap, Halftone, Rows24, Rows8, Plain };
DrawWay chooseDrawWay(Dc& dc, const Dib& picture, bool allowHalftone, bool viaPrinterBitmap);

// Where the drawing's two failure messages go; by default nowhere. Returns the one before.
using DrawDibReporter = std::function<void(const char* message)>;
DrawDibReporter setDrawDibReporter(DrawDibReporter reporter);
// Shows the messages through prompts: no caption text, no icon, OK only.
void reportDrawDibThrough(Prompts& prompts);

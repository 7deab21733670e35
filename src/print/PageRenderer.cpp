#include "print/PageRenderer.h"

#include "picture/DrawDib.h"
#include "platform/CodePage.h"
#include "platform/Printer.h"
#include "platform/Screen.h"
#include "print/DeviceFont.h"
#include "print/PrinterChoice.h"

#include <QDate>
#include <QLocale>

QString todaysDateText() { return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat); }

bool recordNumberValid(const FormDocument& document, int recordNumber)
{
    return recordNumber >= 1 && size_t(recordNumber) <= document.records.size();
}

namespace {

// The grid's row labels are the names of record 1's entries, whichever record is shown; a
// later record's own names (from an older or edited file) do not make a row a date row. Without
// any record there are none.
const FormRecord* labelRecord(const FormDocument& doc)
{
    return doc.records.empty() ? nullptr : &doc.records.front();
}

bool printsDate(const FormRecord* labels, size_t row)
{
    return labels && row < labels->size() && labels->layout(row).name == kDateRowLabel;
}

}  // namespace

std::vector<PrintItem> printItems(const PageRequest& request)
{
    std::vector<PrintItem> items;
    if (!request.document)
        return items;
    const FormDocument& doc = *request.document;
    const FormRecord* labels = labelRecord(doc);
    if (request.what == PrintWhat::CurrentRecord) {
        if (!recordNumberValid(doc, request.recordNumber))
            return items;
        const FormRecord& record = doc.records[size_t(request.recordNumber - 1)];
        for (size_t i = 0; i < record.size(); ++i) {
            const EntryLayout& e = record.layout(i);
            const QString text = printsDate(labels, i) ? request.dateText : ansiToQString(record.value(i).value_or(""));
            items.push_back({e, text});
        }
        return items;
    }
    for (size_t i = 0; i < doc.fields.size(); ++i) {
        const FormField& f = doc.fields[i];
        const QString text = printsDate(labels, i) ? request.dateText : ansiToQString(f.name);
        items.push_back({f, text});
    }
    return items;
}

PlacementInput placementInput(const PageRequest& request)
{
    return PlacementInput{orderFormSize(*request.document),
                          placementAxes(request.PrinterMmPerInchX, request.PrinterMmPerInchY, request.LinksEd, request.ObenEd,
                                        request.landscape),
                          request.shiftMm};
}

unsigned printTextFormat(const PrintItem& item)
{
    unsigned format = item.multiLine != 0 ? DT_WORDBREAK : 0u;
    if (item.alignment == AlignCentered)
        format |= DT_CENTER;
    else if (item.alignment == AlignRight)
        format |= DT_RIGHT;
    return format;
}

void renderPage(Dc& dc, const PageRequest& request, int rx, int ry, bool viaPrinterBitmap, const PrintProgress& progress)
{
    if (!request.document)
        return;
    const FormDocument& doc = *request.document;
    const Placement placement = computePlacement(placementInput(request), rx, ry);
    const Dib& picture = doc.picture.get();
    if (request.withPicture && picture.header) {
        const DrawRects r = placement.pictureRects(DibWidth(picture), DibHeight(picture));
        DrawDib(dc, r.destX, r.destY, r.destWidth, r.destHeight, picture, r.srcX, r.srcTop, r.srcWidth, r.srcHeight,
                false, SRCCOPY, viaPrinterBitmap);
    }
    const std::vector<PrintItem> items = printItems(request);
    for (size_t i = 0; i < items.size(); ++i) {
        const PrintItem& item = items[i];
        if (progress)
            progress(int((i + 1) * 100 / items.size()));
        dc.SelectBrush(DcBrush{BS_SOLID, RGBColor(255, 255, 255)});
        dc.SelectFont(printFont(item.font, ry));
        const DcRect rect = placement.deviceRect(item.left, item.top, item.right, item.bottom);
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(item.text, rect, printTextFormat(item));
    }
}

std::unique_ptr<Bitmap> renderPreviewPage(const PageRequest& request, int32_t pageWidth, int32_t pageHeight, int dpiX,
                                          int dpiY)
{
    const DcSize size = pageBitmapSize(pageWidth, pageHeight, dpiX, dpiY, kPreviewPixelsPerInch);
    if (size.cx <= 0 || size.cy <= 0)
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>(size.cx, size.cy, ScreenBitsPerPixel());
    if (bitmap->isNull())
        return nullptr;
    MemoryDc memory(bitmap.get(), DT_RASDISPLAY, kPreviewPixelsPerInch, kPreviewPixelsPerInch);
    renderPage(memory, request, kPreviewPixelsPerInch, kPreviewPixelsPerInch, false);
    memory.SelectBitmap(nullptr);
    return bitmap;
}

namespace {

// Starts the job for the first page, a new page for every further one.
bool startPage(Printer& printer, bool& begun)
{
    if (begun)
        return printer.NewPage();
    begun = printer.BeginDoc();
    return begun;
}

// A page through a 200 pixels-per-inch bitmap, for printers whose two resolutions differ: text
// drawn at such a printer's own resolution would come out distorted.
bool printThroughBitmap(Printer& printer, const PageRequest& request, const PrintProgress& progress, bool& begun)
{
    const DcSize size = pageBitmapSize(printer.pageWidth(), printer.pageHeight(), printer.dpiX(), printer.dpiY(),
                                       kPageBitmapPixelsPerInch);
    Bitmap bitmap(size.cx, size.cy, 16);
    if (bitmap.isNull())
        return false;
    MemoryDc memory(&bitmap, DT_RASDISPLAY, kPageBitmapPixelsPerInch, kPageBitmapPixelsPerInch);
    // The page bitmap is no printer page: the printer-bitmap way would land beside it.
    renderPage(memory, request, kPageBitmapPixelsPerInch, kPageBitmapPixelsPerInch, false, progress);
    const int dpiX = printer.dc().GetDeviceCaps(LOGPIXELSX);
    const int dpiY = printer.dc().GetDeviceCaps(LOGPIXELSY);
    if (!startPage(printer, begun))
        return false;
    Dc& page = printer.dc();
    page.SetMapMode(MM_TEXT);
    return page.StretchBlt(0, 0, bitmap.width() * dpiX / kPageBitmapPixelsPerInch,
                           bitmap.height() * dpiY / kPageBitmapPixelsPerInch, memory, 0, 0, bitmap.width(),
                           bitmap.height(), SRCCOPY);
}

}  // namespace

bool printPages(Printer& printer, const PageRequest& request, const std::vector<int>& records,
                const PrintProgress& progress, const std::function<void(int)>& beforePage)
{
    fitPageToOutput(printer);
    printer.dc().SetMapMode(MM_TEXT);
    const int dpiX = printer.dc().GetDeviceCaps(LOGPIXELSX);
    const int dpiY = printer.dc().GetDeviceCaps(LOGPIXELSY);
    printer.setTitle(QStringLiteral("Velmora"));
    bool begun = false;
    bool ok = true;
    for (int record : records) {
        if (beforePage)
            beforePage(record);
        PageRequest page = request;
        page.recordNumber = record;
        if (dpiX == dpiY) {
            ok = startPage(printer, begun);
            if (ok) {
                printer.dc().SetMapMode(MM_TEXT);
                renderPage(printer.dc(), page, dpiX, dpiY, request.viaPrinterBitmap, progress);
            }
        } else {
            ok = printThroughBitmap(printer, page, progress, begun);
        }
        if (!ok)
            break;
    }
    if (progress)
        progress(0);
    if (begun)
        ok = printer.EndDoc() && ok;
    return ok && begun;
}

// One printed page of a form: the picture (when chosen) and the texts of one record, or the
// field names, drawn onto any device context at a given resolution. No widgets and no message
// boxes: the "Print" tab, the preview and the command-line print tool all build their pages here.
#pragma once

#include "document/FormDocument.h"
#include "platform/Dc.h"
#include "print/PrintPlacement.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class Printer;

enum class PrintWhat {
    CurrentRecord,  // the values of one record
    FieldNames,     // each current field's name instead of a value
};

// What one page shows and how it is placed; everything a caller chooses on the "Print" tab.
struct PageRequest {
    const FormDocument* document = nullptr;
    PrintWhat what = PrintWhat::CurrentRecord;
    int recordNumber = 1;       // 1-based; the record printed
    bool withPicture = false;   // "Print scanned form and the records"
    // "Alternate printing function": the picture goes through a bitmap of a third of the page
    // resolution. Takes effect only when printing directly on currentPrinter(), whose page it
    // always lands on; the page bitmaps and the preview draw the picture the ordinary way.
    bool viaPrinterBitmap = false;
    PointD shiftMm;             // the document's PrintShiftMm, or the tab's boxes times MmPerInch
    double LinksEd = 0;         // the calibration's margins, mm
    double ObenEd = 0;
    double PrinterMmPerInchX = MmPerInch;  // printerMmPerInch(BreitEd)
    double PrinterMmPerInchY = MmPerInch;  // printerMmPerInch(HochEd)
    bool landscape = false;     // the printer's orientation: swaps margins and factors
    QString dateText;           // what "<date>" rows print; usually todaysDateText()
};

// The marker a grid row label holds when its row prints the date.
inline const char* const kDateRowLabel = "<date>";

// Today's date in the system's short date format.
QString todaysDateText();

// Whether recordNumber names a record of the document.
bool recordNumberValid(const FormDocument& document, int recordNumber);

// One text to print, in the layout of its field or record entry: the rectangle (picture pixels,
// inclusive), font, line breaking and alignment.
struct PrintItem : EntryLayout {
    QString text;
};

// The items of a page in print order, with the "<date>" rule applied: a row whose label in the
// grid (the name of record 1's entry of that row) is exactly "<date>" prints request.dateText
// instead of its value. CurrentRecord needs a valid record number; with none, the list is empty.
std::vector<PrintItem> printItems(const PageRequest& request);

// Orders the form size and picks scales and margins by the orientation.
PlacementInput placementInput(const PageRequest& request);

// The format flags of an item: word break for multi-line, centre or right by alignment.
unsigned printTextFormat(const PrintItem& item);

using PrintProgress = std::function<void(int percent)>;

// Draws the page (picture, then texts) onto dc placed for rx x ry pixels per inch. The form size
// must be valid. progress, when given, hears i * 100 div count after each text's start.
// viaPrinterBitmap is request.viaPrinterBitmap or false, as the caller's way of printing allows.
void renderPage(Dc& dc, const PageRequest& request, int rx, int ry, bool viaPrinterBitmap,
                const PrintProgress& progress = {});

// The preview's page: a bitmap in the screen's pixel format of the printer page's size at 150
// pixels per inch, white, with the page drawn on it (the picture the ordinary way, no progress).
// Null when the bitmap cannot be made.
std::unique_ptr<Bitmap> renderPreviewPage(const PageRequest& request, int32_t pageWidth, int32_t pageHeight, int dpiX,
                                          int dpiY);

// Prints one job on printer (title "Velmora"): one page per record number in records, or, for
// FieldNames, one page per entry of records (the names printed once per page). Equal
// resolutions print directly; unequal ones through a 16-bit page bitmap of 200 pixels per inch
// stretched over the page. beforePage, when given, hears each record number before its page is
// built. Progress ends with 0. False when the job could not be started or finished.
bool printPages(Printer& printer, const PageRequest& request, const std::vector<int>& records,
                const PrintProgress& progress = {}, const std::function<void(int)>& beforePage = {});

#include "platform/Printer.h"

#include "imgrove/Numeric.h"
#include "platform/PagePng.h"

#include <QDir>
#include <QPainter>
#include <QPrinter>
#include "platform/PdfFileReplacement.h"
#include "platform/ReplacementDevice.h"

#include <cmath>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The PDF engine deflates every page through two fresh buffers of 16 MB, which the heap maps for
// each page and hands back to the system when the page is done, to fault them in afresh for the
// next one: that took longer than drawing the page. They stay in the heap instead (a picture is
// larger and still mapped on its own). Raster pages are not helped: their threads then contend
// for the heap.
void keepFreedMemoryForPdfPages()
{
#if defined(__GLIBC__)
    static const bool kept = [] {
        return mallopt(M_MMAP_THRESHOLD, 32 << 20) == 1 && mallopt(M_TRIM_THRESHOLD, 64 << 20) == 1;
    }();
    (void)kept;
#endif
}

}  // namespace

// SystemPrinter ---------------------------------------------------------------------------------

class SystemPrinter::PageDc : public Dc {
public:
    explicit PageDc(QPrinter& printer) : printer_(printer) {}
    ~PageDc() override { end(); }

    bool begin()
    {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(&printer_)) {
            painter_.reset();
            return false;
        }
        return true;
    }
    bool end()
    {
        if (!painter_)
            return false;
        endPainter();
        const bool ended = painter_->end();
        painter_.reset();
        return ended;
    }
    bool newPage()
    {
        if (!painter_)
            return false;
        GdiFlush();
        return printer_.newPage();
    }
    bool active() const { return painter_ != nullptr; }

    QPainter* painter() override { return painter_.get(); }
    QPaintDevice* metricsDevice() override { return &printer_; }
    QSize deviceSize() const override { return QSize(printer_.width(), printer_.height()); }

protected:
    int technology() const override { return DT_RASPRINTER; }
    int pixelsPerInchX() const override { return printer_.logicalDpiX(); }
    int pixelsPerInchY() const override { return printer_.logicalDpiY(); }
    int bitsPerPixel() const override { return 24; }

private:
    QPrinter& printer_;
    std::unique_ptr<QPainter> painter_;
};

SystemPrinter::SystemPrinter()
    : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)), dc_(std::make_unique<PageDc>(*printer_))
{
}

SystemPrinter::~SystemPrinter()
{
    dc_.reset();
    output_.reset();
}

Dc& SystemPrinter::dc() { return *dc_; }
int32_t SystemPrinter::pageWidth() const { return printer_->width(); }

QSizeF SystemPrinter::paperSizeMm() const { return printer_->pageLayout().pageSize().size(QPageSize::Millimeter); }
int32_t SystemPrinter::pageHeight() const { return printer_->height(); }
int SystemPrinter::dpiX() const { return printer_->logicalDpiX(); }
int SystemPrinter::dpiY() const { return printer_->logicalDpiY(); }

PageOrientation SystemPrinter::orientation() const
{
    return printer_->pageLayout().orientation() == QPageLayout::Landscape ? PageOrientation::Landscape
                                                                          : PageOrientation::Portrait;
}

void SystemPrinter::setOrientation(PageOrientation orientation)
{
    printer_->setPageOrientation(orientation == PageOrientation::Landscape ? QPageLayout::Landscape
                                                                           : QPageLayout::Portrait);
}

QString SystemPrinter::title() const { return printer_->docName(); }
void SystemPrinter::setTitle(const QString& title) { printer_->setDocName(title); }

bool SystemPrinter::BeginDoc()
{
    if (dc_->active())
        return false;
    keepFreedMemoryForPdfPages();
    writeError_.clear();
    outputFile_ = printer_->outputFileName();
    if (!outputFile_.isEmpty()) {
        output_ = std::make_unique<PdfFileReplacement>(outputFile_);
        if (output_->fileName().isEmpty()) {
            output_.reset();
            return false;
        }
        // A name without ".pdf" at its end leaves the output format as it is.
        printer_->setOutputFileName(output_->fileName());
    }
    const bool begun = dc_->begin();
    if (!begun)
        restoreOutputFile();
    return begun;
}

bool SystemPrinter::EndDoc()
{
    const bool ended = dc_->end();
    if (!output_)
        return ended;
    const WriteResult written = ended ? output_->commit() : WriteResult{};
    writeError_ = written.error;
    restoreOutputFile();
    return ended && written;
}

void SystemPrinter::restoreOutputFile()
{
    if (output_)
        printer_->setOutputFileName(outputFile_);
    output_.reset();
}
bool SystemPrinter::NewPage() { return dc_->newPage(); }
bool SystemPrinter::printing() const { return dc_->active(); }
QPrinter* SystemPrinter::qprinter() { return printer_.get(); }

// RasterPrinter ---------------------------------------------------------------------------------

RasterPrinter::RasterPrinter(QString folder, QString baseName, int dpiX, int dpiY, QPageSize pageSize,
                             PageOrientation orientation)
    : folder_(std::move(folder)),
      baseName_(std::move(baseName)),
      dpiX_(dpiX > 0 ? dpiX : 300),
      dpiY_(dpiY > 0 ? dpiY : 300),
      pageSize_(std::move(pageSize)),
      orientation_(orientation),
      dc_(std::make_unique<MemoryDc>(nullptr, DT_RASPRINTER, dpiX_, dpiY_))
{
}

RasterPrinter::~RasterPrinter()
{
    dc_.reset();
}

Dc& RasterPrinter::dc() { return *dc_; }

int32_t RasterPrinter::pageWidth() const
{
    const QSizeF inches = pageSize_.size(QPageSize::Inch);
    const double across = orientation_ == PageOrientation::Portrait ? inches.width() : inches.height();
    return truncToInt32(across * dpiX_);
}

int32_t RasterPrinter::pageHeight() const
{
    const QSizeF inches = pageSize_.size(QPageSize::Inch);
    const double down = orientation_ == PageOrientation::Portrait ? inches.height() : inches.width();
    return truncToInt32(down * dpiY_);
}

void RasterPrinter::setOrientation(PageOrientation orientation)
{
    if (!printing())
        orientation_ = orientation;
}

bool RasterPrinter::printing() const { return page_ != nullptr; }

bool RasterPrinter::BeginDoc()
{
    if (printing())
        return false;
    writeError_.clear();
    pageLost_ = false;
    auto page = std::make_unique<Bitmap>(pageWidth(), pageHeight(), 32);
    if (page->isNull())
        return false;
    page->image().setDotsPerMeterX(int(std::lround(dpiX_ / 0.0254)));
    page->image().setDotsPerMeterY(int(std::lround(dpiY_ / 0.0254)));
    page_ = std::move(page);
    dc_->SelectBitmap(page_.get());
    return true;
}

bool RasterPrinter::savePage()
{
    dc_->GdiFlush();
    // The page's painter must end before the image is encoded.
    dc_->SelectBitmap(nullptr);
    QDir().mkpath(folder_);
    const QString name =
        QDir(folder_).filePath(QStringLiteral("%1-%2.png").arg(baseName_).arg(pageFiles_.size() + 1));
    ReplacementDevice file(name);
    const bool saved = file.isOpen() && writePagePng(page_->image(), file) && file.commit();
    if (saved)
        pageFiles_.append(name);
    else
        writeError_ = file.result().error;
    return saved;
}

bool RasterPrinter::NewPage()
{
    if (!printing() || pageLost_)
        return false;
    const bool saved = savePage();
    pageLost_ = !saved;
    page_->image().fill(Qt::white);
    dc_->SelectBitmap(page_.get());
    return saved;
}

bool RasterPrinter::EndDoc()
{
    if (!printing())
        return false;
    // After a lost page the one in hand is the blank next one, which must not be taken for it.
    const bool saved = !pageLost_ && savePage();
    page_.reset();
    return saved;
}

// Current printer -------------------------------------------------------------------------------

namespace {
std::unique_ptr<Printer>& printerSlot()
{
    static std::unique_ptr<Printer> printer;
    return printer;
}
}  // namespace

Printer& currentPrinter()
{
    auto& slot = printerSlot();
    if (!slot)
        slot = std::make_unique<SystemPrinter>();
    return *slot;
}

std::unique_ptr<Printer> setCurrentPrinter(std::unique_ptr<Printer> printer)
{
    return std::exchange(printerSlot(), std::move(printer));
}

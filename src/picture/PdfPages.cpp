#include "picture/PdfPages.h"

#include "imgrove/LibCodecRows.h"

#include <poppler-qt6.h>

#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A picture this large is no form any printer takes; refused before memory runs out.
constexpr int64_t kMaxRenderedPixels = int64_t(1) << 28;
// Bands keep the rendering's own memory small and give the progress bar steps to show.
constexpr int32_t kBandRows = 1024;
constexpr qint64 kMaxPdfBytes = qint64(1) << 31;

QString quoted(const QString& name) { return QStringLiteral("\"%1\"").arg(name); }

// Rounded up as the common PDF rasterisers round, so a page comes out the size they make it; a
// whisker below a whole pixel is that pixel, not the next.
int32_t pixelsFor(double points, int ppi)
{
    const double pixels = points * ppi / 72;
    return pixels < 1 ? 0 : int32_t(std::ceil(pixels - 1e-6));
}

// Red, green and blue alike in every pixel: each byte of 0xAARRGGBB equals its neighbour below.
bool rowIsGrey(const QRgb* line, int32_t width)
{
    uint32_t differs = 0;
    for (int32_t x = 0; x < width; ++x)
        differs |= (line[x] ^ (line[x] >> 8)) & 0xffffu;
    return differs == 0;
}

// Rows bottom-up, blue-green-red, as the picture library keeps 24 bits.
void storeRow(const QRgb* line, int32_t width, uint8_t* out)
{
    for (int32_t x = 0; x < width; ++x) {
        out[3 * x] = uint8_t(qBlue(line[x]));
        out[3 * x + 1] = uint8_t(qGreen(line[x]));
        out[3 * x + 2] = uint8_t(qRed(line[x]));
    }
}

void storeGreyRow(const QRgb* line, int32_t width, uint8_t* out)
{
    for (int32_t x = 0; x < width; ++x)
        out[x] = uint8_t(line[x]);
}

DibOwner greyPicture(int32_t width, int32_t height)
{
    DibOwner grey(newdib(width, height, 8, nullptr, 0));
    if (!grey)
        return grey;
    const std::vector<RGBQUAD> ramp = libcodec::greyRamp(256);
    dibSetColors(grey.get(), ramp.data(), 256);
    return grey;
}

// The 24-bit picture of the grey rows stored so far: rows from firstRow up, bottom-up order.
DibOwner colourCopy(const Dib& grey, int32_t firstRow)
{
    const int32_t width = grey.header->biWidth;
    const int32_t height = grey.header->biHeight;
    DibOwner colour(newdib(width, height, 24, nullptr, 0));
    if (!colour)
        return colour;
    for (int32_t row = firstRow; row < height; ++row) {
        const uint8_t* in = grey.bits + size_t(row) * size_t(grey.rowSize);
        uint8_t* out = colour.get().bits + size_t(row) * size_t(colour.get().rowSize);
        for (int32_t x = 0; x < width; ++x)
            out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = in[x];
    }
    return colour;
}

void setResolution(Dib& dib, int ppi)
{
    const auto perMetre = int32_t(std::lround(ppi * 1000 / MmPerInch));
    dib.header->biXPelsPerMeter = perMetre;
    dib.header->biYPelsPerMeter = perMetre;
}

// The library's own complaints about a file go to stderr; the sentence of open() says what the
// user needs, once.
void quietLibrary(const QString&, const QVariant&) {}

}  // namespace

bool isPdfFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Readers accept the header anywhere in the first kilobyte; so does this test.
    return file.read(1024).contains("%PDF-");
}

std::unique_ptr<PdfFile> PdfFile::open(const QString& fileName, QString* error)
{
    const QString name = QFileInfo(fileName).fileName();
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("The PDF file %1 cannot be opened.").arg(quoted(name));
        return nullptr;
    }
    if (file.size() > kMaxPdfBytes) {
        *error = QStringLiteral("The PDF file %1 is too large to keep in a form.").arg(quoted(name));
        return nullptr;
    }
    return fromBytes(file.readAll(), name, error);
}

std::unique_ptr<PdfFile> PdfFile::fromBytes(QByteArray bytes, const QString& displayName, QString* error)
{
    Poppler::setDebugErrorFunction(quietLibrary, QVariant());
    std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(bytes);
    if (!document || !bytes.contains("%PDF-")) {
        *error = QStringLiteral("The PDF file %1 is damaged and cannot be read.").arg(quoted(displayName));
        return nullptr;
    }
    // Even a file that opens without a password is refused: its restrictions would not survive
    // being printed onto.
    if (document->isLocked() || document->isEncrypted()) {
        *error = QStringLiteral("The PDF file %1 is encrypted; open a copy without password protection.")
                     .arg(quoted(displayName));
        return nullptr;
    }
    if (document->numPages() < 1) {
        *error = QStringLiteral("The PDF file %1 has no pages.").arg(quoted(displayName));
        return nullptr;
    }
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    return std::unique_ptr<PdfFile>(new PdfFile(std::move(bytes), displayName, std::move(document)));
}

PdfFile::PdfFile(QByteArray bytes, QString displayName, std::unique_ptr<Poppler::Document> document)
    : bytes_(std::move(bytes)), displayName_(std::move(displayName)), document_(std::move(document))
{
}

PdfFile::~PdfFile() = default;

int PdfFile::pageCount() const { return document_->numPages(); }

PdfPageSize PdfFile::pageSize(int page) const
{
    const std::unique_ptr<Poppler::Page> p = document_->page(page - 1);
    if (!p)
        return {};
    const QSizeF size = p->pageSizeF();
    return {size.width(), size.height()};
}

std::pair<int32_t, int32_t> PdfFile::pixelSize(int page, int ppi) const
{
    const PdfPageSize size = pageSize(page);
    return {pixelsFor(size.widthPt, ppi), pixelsFor(size.heightPt, ppi)};
}

DibOwner PdfFile::render(int page, int ppi, const PdfProgress& progress, QString* error) const
{
    const std::unique_ptr<Poppler::Page> p = page >= 1 ? document_->page(page - 1) : nullptr;
    if (!p) {
        *error = QStringLiteral("The PDF file %1 has no page %2.").arg(quoted(displayName_)).arg(page);
        return {};
    }
    const auto [width, height] = pixelSize(page, ppi);
    const auto tooLarge = [&] {
        *error = QStringLiteral("Page %1 of the PDF file %2 is too large to render at %3 pixels per inch.")
                     .arg(page)
                     .arg(quoted(displayName_))
                     .arg(ppi);
        return DibOwner();
    };
    if (width < 1 || height < 1 || int64_t(width) * height > kMaxRenderedPixels)
        return tooLarge();
    // Most forms have no colour: the page is kept in 8 bits until a row with colour turns up.
    DibOwner grey = greyPicture(width, height);
    DibOwner colour;
    if (!grey)
        return tooLarge();
    // The whole pixels span exactly the page, so that the picture's corners are the page's corners
    // and the form size taken from the page is exact.
    const PdfPageSize size = pageSize(page);
    const double xres = width * 72 / size.widthPt;
    const double yres = height * 72 / size.heightPt;

    if (progress)
        progress(0);
    for (int32_t top = 0; top < height; top += kBandRows) {
        const int32_t rows = std::min(kBandRows, height - top);
        const QImage band = p->renderToImage(xres, yres, 0, top, width, rows).convertToFormat(QImage::Format_RGB32);
        if (band.width() != width || band.height() != rows) {
            *error = QStringLiteral("Page %1 of the PDF file %2 could not be rendered.").arg(page).arg(quoted(displayName_));
            return {};
        }
        for (int32_t r = 0; r < rows; ++r) {
            const auto* line = reinterpret_cast<const QRgb*>(band.constScanLine(r));
            const int32_t row = height - 1 - top - r;
            if (!colour && !rowIsGrey(line, width)) {
                colour = colourCopy(grey.get(), row + 1);
                grey = DibOwner();
                if (!colour)
                    return tooLarge();
            }
            if (colour)
                storeRow(line, width, colour.get().bits + size_t(row) * size_t(colour.get().rowSize));
            else
                storeGreyRow(line, width, grey.get().bits + size_t(row) * size_t(grey.get().rowSize));
        }
        if (progress)
            progress(int(int64_t(top + rows) * 100 / height));
    }
    DibOwner result = colour ? std::move(colour) : std::move(grey);
    setResolution(result.get(), ppi);
    if (progress)
        progress(0);
    return result;
}

void setFormFromPdfPage(FormDocument& document, const PdfFile& pdf, int page)
{
    const Dib& picture = document.picture.get();
    const PdfPageSize size = pdf.pageSize(page);
    document.FirstPoint = {0, 0};
    document.SecondPoint = {picture.header->biWidth, picture.header->biHeight};
    document.FirstPointMm = {0, 0};
    document.SecondPointMm = {size.widthMm(), size.heightMm()};
    const QByteArray& bytes = pdf.bytes();
    document.originalPdf = OriginalPdf{std::vector<uint8_t>(bytes.begin(), bytes.end()), page};
}

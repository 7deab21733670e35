#include "GeneratedForms.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <tuple>

namespace {

constexpr double kPenMm = 0.3;

// A label as printed and the field name it should give.
struct Label {
    const char* printed;
    const char* name;
};

struct Labels {
    const char* title;
    Label surname, firstName, birth, street, postcode, place, phone, signature, iban, item, quantity, price, remarks;
    Label customer, date;  // printed small inside their boxes
    const char* question;  // before a pair of tick boxes, each labelled after it (and a pair labelled before)
    Label yes, no;
    Label occupation;  // before a dotted line
};

const Labels kEnglish{"Application form",      {"Surname:", "Surname"},
                      {"First name:", "First name"}, {"Date of birth:", "Date of birth"},
                      {"Street and number:", "Street and number"}, {"Postcode", "Postcode"},
                      {"Place:", "Place"},         {"Phone:", "Phone"},
                      {"Signature:", "Signature"}, {"IBAN", "IBAN"},
                      {"Item", "Item"},            {"Quantity", "Quantity"},
                      {"Price", "Price"},          {"Remarks", "Remarks"},
                      {"Customer number", "Customer number"}, {"Date", "Date"},
                      "Married:", {"Yes", "Yes"}, {"No", "No"},
                      {"Occupation:", "Occupation"}};
const Labels kGerman{"Antragsformular",        {"Nachname:", "Nachname"},
                     {"Vorname:", "Vorname"},  {"Geburtsdatum:", "Geburtsdatum"},
                     {"Straße und Hausnummer:", "Straße und Hausnummer"}, {"Postleitzahl", "Postleitzahl"},
                     {"Ort:", "Ort"},          {"Telefon:", "Telefon"},
                     {"Unterschrift:", "Unterschrift"}, {"IBAN", "IBAN"},
                     {"Artikel", "Artikel"},   {"Menge", "Menge"},
                     {"Preis", "Preis"},       {"Bemerkungen", "Bemerkungen"},
                     {"Kundennummer", "Kundennummer"}, {"Datum", "Datum"},
                     "Verheiratet:", {"Ja", "Ja"}, {"Nein", "Nein"},
                     {"Beruf:", "Beruf"}};

class Drawing {
public:
    Drawing(QImage& image, double perMm) : painter_(&image), perMm_(perMm)
    {
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.setRenderHint(QPainter::TextAntialiasing);
        painter_.scale(perMm, perMm);
        QPen pen(Qt::black, kPenMm);
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
        painter_.setPen(pen);
    }

    // Text whose left end and baseline are at (x, y) mm; returns its right end.
    double text(double x, double y, const char* words, double points = 10)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(100);
        const double scale = points * 25.4 / 72 / 100;
        painter_.save();
        painter_.translate(x, y);
        painter_.scale(scale, scale);
        painter_.setFont(font);
        const QString string = QString::fromUtf8(words);
        painter_.drawText(QPointF(0, 0), string);
        const double width = painter_.fontMetrics().horizontalAdvance(string) * scale;
        painter_.restore();
        return x + width;
    }
    void box(double x, double y, double w, double h) { painter_.drawRect(QRectF(x, y, w, h)); }
    void line(double x0, double y0, double x1, double y1) { painter_.drawLine(QPointF(x0, y0), QPointF(x1, y1)); }
    void dot(double x, double y, double diameter)
    {
        painter_.save();
        painter_.setBrush(Qt::black);
        painter_.drawEllipse(QPointF(x, y), diameter / 2, diameter / 2);
        painter_.restore();
    }
    void thickLines(double penMm, std::initializer_list<QLineF> lines)
    {
        painter_.save();
        QPen pen = painter_.pen();
        pen.setWidthF(penMm);
        painter_.setPen(pen);
        for (const QLineF& l : lines)
            painter_.drawLine(l);
        painter_.restore();
    }

    // The pixels inside a box drawn at (x, y, w, h) mm.
    PixelRect inside(double x, double y, double w, double h) const
    {
        const double half = kPenMm / 2;
        return {int32_t(std::ceil((x + half) * perMm_)), int32_t(std::ceil((y + half) * perMm_)),
                int32_t(std::floor((x + w - half) * perMm_)) - 1, int32_t(std::floor((y + h - half) * perMm_)) - 1};
    }

private:
    QPainter painter_;
    double perMm_;
};

}  // namespace

GeneratedForm generatedForm(double ppi, FormLanguage language, int variant)
{
    const double perMm = ppi / 25.4;
    const Labels& l = language == FormLanguage::German ? kGerman : kEnglish;
    GeneratedForm form;
    form.pixelsPerMm = perMm;
    QImage image(int(std::lround(210 * perMm)), int(std::lround(297 * perMm)), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        Drawing d(image, perMm);
        const double shift = (variant % 3) * 4.0;
        const double lift = (variant % 2) * 3.0;
        d.text(20, 22 + lift, l.title, 16);
        // A logo in a square typeface whose bold P closes in a box-like bowl: not a field.
        d.thickLines(1.1, {{165, 10, 165, 22}, {165, 10, 172, 10}, {172, 10, 172, 15}, {165, 15, 172, 15}});

        // Labels before their boxes.
        double y = 35 + lift;
        for (const Label& label : {l.surname, l.firstName, l.birth}) {
            d.text(20, y + 6, label.printed);
            d.box(70 + shift, y, 90, 8);
            form.fields.push_back({d.inside(70 + shift, y, 90, 8), ProposalKind::Box, label.name});
            y += 13;
        }
        // Labels above their boxes, side by side.
        d.text(20, y + 3, l.street.printed);
        d.text(130, y + 3, l.phone.printed);
        d.box(20, y + 5, 100, 8);
        d.box(130, y + 5, 55, 8);
        form.fields.push_back({d.inside(20, y + 5, 100, 8), ProposalKind::Box, l.street.name});
        form.fields.push_back({d.inside(130, y + 5, 55, 8), ProposalKind::Box, l.phone.name});
        y += 20;
        // A row of character boxes after its label.
        d.text(20, y + 5, l.postcode.printed);
        const int postcodeCells = 5;
        d.box(70 + shift, y, postcodeCells * 6, 7);
        for (int i = 1; i < postcodeCells; ++i)
            d.line(70 + shift + i * 6, y, 70 + shift + i * 6, y + 7);
        form.fields.push_back({d.inside(70 + shift, y, postcodeCells * 6, 7), ProposalKind::Comb,
                               std::string(l.postcode.name) + " [comb 5]", postcodeCells});
        y += 13;
        d.text(20, y + 5, l.iban.printed);
        const int ibanCells = 22;
        d.box(45, y, ibanCells * 6, 7);
        for (int i = 1; i < ibanCells; ++i)
            d.line(45 + i * 6, y, 45 + i * 6, y + 7);
        form.fields.push_back({d.inside(45, y, ibanCells * 6, 7), ProposalKind::Comb,
                               std::string(l.iban.name) + " [comb 22]", ibanCells});
        y += 17;
        // Underlines after their labels.
        for (const Label& label : {l.place, l.signature}) {
            const double end = d.text(20, y, label.printed);
            const double start = end + 3;
            d.line(start, y + 0.5, start + 70, y + 0.5);
            const int32_t lineTop = int32_t(std::floor((y + 0.5 - kPenMm / 2) * perMm));
            form.fields.push_back({{int32_t(std::lround(start * perMm)), lineTop - int32_t(std::lround(6 * perMm)),
                                    int32_t(std::lround((start + 70) * perMm)), lineTop - 1},
                                   ProposalKind::Underline, label.name});
            y += 13;
        }
        // A table: a heading row of labels, three rows of cells.
        y += 2;
        const double columns[] = {20, 100, 140, 185};
        const Label headings[] = {l.item, l.quantity, l.price};
        for (int c = 0; c < 3; ++c) {
            d.box(columns[c], y, columns[c + 1] - columns[c], 8);
            d.text(columns[c] + 2, y + 5.8, headings[c].printed);
        }
        for (int r = 0; r < 3; ++r) {
            const double top = y + 8 + r * 8;
            for (int c = 0; c < 3; ++c) {
                d.box(columns[c], top, columns[c + 1] - columns[c], 8);
                // Every cell under a heading is named after it, numbered from the second row.
                const std::string name = std::string(headings[c].name) + (r ? " " + std::to_string(r + 1) : "");
                form.fields.push_back(
                    {d.inside(columns[c], top, columns[c + 1] - columns[c], 8), ProposalKind::Cell, name});
            }
        }
        y += 8 * 4 + 10;
        // A large box with its label above.
        d.text(20, y, l.remarks.printed);
        d.box(20, y + 2, 165, 25);
        form.fields.push_back({d.inside(20, y + 2, 165, 25), ProposalKind::Box, l.remarks.name});
        // A speck of dirt in the margin beside it: no label.
        d.dot(9, y + 12, 1);
        y += 33;
        // Boxes side by side with their labels small in the top-left corner, the words spaced
        // wide; the field is what lies below the caption (its baseline, half a millimetre of air).
        const double captionBaseline = 3.5;
        for (const auto& [x, width, height, label] :
             {std::tuple{20.0, 85.0, 14.0, l.customer}, std::tuple{110.0, 75.0, 8.0, l.date}}) {
            d.box(x, y, width, height);
            double wordX = x + 1.5;
            for (const QString& word : QString::fromUtf8(label.printed).split(' '))
                wordX = d.text(wordX, y + captionBaseline, word.toUtf8().constData(), 8) + 3;
            PixelRect field = d.inside(x, y, width, height);
            field.top = int32_t(std::ceil((y + captionBaseline + 0.5) * perMm));
            form.fields.push_back({field, ProposalKind::Box, label.name});
        }
        // The customer number's box marks its characters with short strokes on its bottom line.
        for (double x = 25; x < 105; x += 5)
            d.line(x, y + 12, x, y + 14);
        y += 22;
        // A question and its tick boxes, each with its answer after it.
        double tickX = d.text(20, y + 4, l.question) + 2;
        for (const Label& answer : {l.yes, l.no}) {
            d.box(tickX, y + 0.5, 4, 4);
            form.fields.push_back({d.inside(tickX, y + 0.5, 4, 4), ProposalKind::Box, answer.name});
            tickX = d.text(tickX + 5.5, y + 4, answer.printed) + 5;
        }
        // The other custom on the same line: each answer just before its box, the next answer a
        // little further on; the names are taken, so they are numbered.
        double answerX = 110;
        for (const Label& answer : {l.yes, l.no}) {
            const double boxX = d.text(answerX, y + 4, answer.printed) + 1.5;
            d.box(boxX, y + 0.5, 4, 4);
            form.fields.push_back({d.inside(boxX, y + 0.5, 4, 4), ProposalKind::Box, std::string(answer.name) + " 2"});
            answerX = boxX + 4 + 2.5;
        }
        y += 14;
        // A dotted line to write on after its label.
        const double dotsStart = d.text(20, y, l.occupation.printed) + 2;
        const double dotsEnd = dotsStart + 80;
        for (double x = dotsStart + 0.2; x < dotsEnd; x += 1)
            d.dot(x, y, 0.4);
        const int32_t dotsTop = int32_t(std::floor((y - 0.2) * perMm));
        form.fields.push_back({{int32_t(std::lround(dotsStart * perMm)), dotsTop - int32_t(std::lround(6 * perMm)),
                                int32_t(std::lround(dotsEnd * perMm)), dotsTop - 1},
                               ProposalKind::Underline, l.occupation.name});
    }
    form.page = image.convertToFormat(QImage::Format_Grayscale8);
    return form;
}

QImage scannedPage(const QImage& page, const ScanMarks& marks)
{
    cv::Mat gray(page.height(), page.width(), CV_8U);
    for (int y = 0; y < page.height(); ++y)
        std::memcpy(gray.ptr(y), page.constScanLine(y), size_t(page.width()));
    if (marks.paperGrey < 255) {
        // Paper grey, ink stays dark: a linear map of white to the paper's grey.
        gray.convertTo(gray, CV_8U, marks.paperGrey / 255.0, 0);
    }
    if (marks.skewDegrees != 0) {
        const cv::Mat turn =
            cv::getRotationMatrix2D(cv::Point2f(gray.cols / 2.0f, gray.rows / 2.0f), -marks.skewDegrees, 1.0);
        cv::warpAffine(gray, gray, turn, gray.size(), cv::INTER_LINEAR, cv::BORDER_CONSTANT,
                       cv::Scalar(marks.paperGrey));
    }
    if (marks.blurSigmaPx > 0)
        cv::GaussianBlur(gray, gray, cv::Size(), marks.blurSigmaPx);
    if (marks.noiseSigma > 0) {
        cv::RNG rng(marks.seed);
        cv::Mat noise(gray.size(), CV_16S);
        rng.fill(noise, cv::RNG::NORMAL, 0, marks.noiseSigma);
        cv::Mat wide;
        gray.convertTo(wide, CV_16S);
        wide += noise;
        wide.convertTo(gray, CV_8U);
    }
    QImage result(gray.cols, gray.rows, QImage::Format_Grayscale8);
    for (int y = 0; y < gray.rows; ++y)
        std::memcpy(result.scanLine(y), gray.ptr(y), size_t(gray.cols));
    if (marks.jpegQuality > 0) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        result.save(&buffer, "JPG", marks.jpegQuality);
        result.loadFromData(bytes, "JPG");
        result = result.convertToFormat(QImage::Format_Grayscale8);
    }
    return result;
}

Dib dibFromGray(const QImage& gray, double pixelsPerMm)
{
    Dib dib = newdib(gray.width(), gray.height(), 8, nullptr, 0);
    if (!dib.bits)
        return dib;
    RGBQUAD greys[256];
    for (int i = 0; i < 256; ++i)
        greys[i] = {uint8_t(i), uint8_t(i), uint8_t(i), 0};
    dibSetColors(dib, greys, 256);
    dib.header->biXPelsPerMeter = dib.header->biYPelsPerMeter = int32_t(std::lround(pixelsPerMm * 1000));
    for (int y = 0; y < gray.height(); ++y)
        std::memcpy(dib.bits + int64_t(gray.height() - 1 - y) * dib.rowSize, gray.constScanLine(y),
                    size_t(gray.width()));
    return dib;
}

QImage grayFromDib(const Dib& dib)
{
    const int width = dib.header->biWidth;
    const int height = std::abs(dib.header->biHeight);
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = dibColors(dib)[getpixel(dib, x, y) & 0xFF].rgbRed;
    return image;
}

PixelRect movedToStraightened(const PixelRect& rect, int width, int height, int straightWidth, int straightHeight)
{
    // The scan turns about the page's centre; the free rotation turns back about the centres of
    // the scan and of the larger straight picture, so the turns cancel but for the shift between
    // the centres.
    const int dx = straightWidth / 2 - width / 2;
    const int dy = straightHeight / 2 - height / 2;
    return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

// Draws the sample form (a remittance slip on an A4 sheet at 100 pixels per inch, 16 greys),
// places fields in its boxes, adds two records and writes it as a form file.
//
//   make_sample_form [output.frm]       default: sample.frm in the current folder

#include "document/FormFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWidth = 827;    // 210 mm at 100 pixels per inch
constexpr int32_t kHeight = 1169;  // 297 mm
constexpr uint32_t kBlack = 0;
constexpr uint32_t kDarkGrey = 6;
constexpr uint32_t kShade = 14;
constexpr uint32_t kWhite = 15;

class Canvas {
public:
    explicit Canvas(Dib& dib) : dib_(dib) {}

    void dot(int32_t x, int32_t y, uint32_t colour) { setpixel(dib_, x, y, colour); }

    void fill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint32_t colour)
    {
        for (int32_t y = top; y <= bottom; ++y)
            for (int32_t x = left; x <= right; ++x)
                dot(x, y, colour);
    }

    void line(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int thickness, uint32_t colour)
    {
        const int32_t dx = std::abs(x1 - x0);
        const int32_t dy = -std::abs(y1 - y0);
        const int32_t sx = x0 < x1 ? 1 : -1;
        const int32_t sy = y0 < y1 ? 1 : -1;
        int32_t error = dx + dy;
        for (;;) {
            fill(x0, y0, x0 + thickness - 1, y0 + thickness - 1, colour);
            if (x0 == x1 && y0 == y1)
                return;
            const int32_t twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                x0 += sx;
            }
            if (twice <= dx) {
                error += dx;
                y0 += sy;
            }
        }
    }

    void frame(int32_t left, int32_t top, int32_t right, int32_t bottom, int thickness, uint32_t colour)
    {
        fill(left, top, right, top + thickness - 1, colour);
        fill(left, bottom - thickness + 1, right, bottom, colour);
        fill(left, top, left + thickness - 1, bottom, colour);
        fill(right - thickness + 1, top, right, bottom, colour);
    }

    // Block capitals and digits from straight strokes on a 4 x 6 grid; scale is pixels per step.
    int32_t text(int32_t x, int32_t y, const std::string& letters, int scale, int thickness, uint32_t colour)
    {
        for (char letter : letters) {
            const auto glyph = strokes().find(letter);
            if (glyph != strokes().end())
                for (const Stroke& s : glyph->second)
                    line(x + s.x0 * scale, y + s.y0 * scale, x + s.x1 * scale, y + s.y1 * scale, thickness, colour);
            x += 6 * scale;
        }
        return x;
    }

private:
    struct Stroke {
        int x0, y0, x1, y1;
    };

    static const std::map<char, std::vector<Stroke>>& strokes()
    {
        static const std::map<char, std::vector<Stroke>> font = {
            {'A', {{0, 6, 0, 1}, {0, 1, 2, 0}, {2, 0, 4, 1}, {4, 1, 4, 6}, {0, 3, 4, 3}}},
            {'B', {{0, 0, 0, 6}, {0, 0, 3, 0}, {3, 0, 4, 1}, {4, 1, 4, 2}, {4, 2, 3, 3}, {0, 3, 3, 3},
                   {3, 3, 4, 4}, {4, 4, 4, 5}, {4, 5, 3, 6}, {3, 6, 0, 6}}},
            {'C', {{4, 0, 0, 0}, {0, 0, 0, 6}, {0, 6, 4, 6}}},
            {'D', {{0, 0, 0, 6}, {0, 0, 3, 0}, {3, 0, 4, 1}, {4, 1, 4, 5}, {4, 5, 3, 6}, {3, 6, 0, 6}}},
            {'E', {{4, 0, 0, 0}, {0, 0, 0, 6}, {0, 6, 4, 6}, {0, 3, 3, 3}}},
            {'F', {{4, 0, 0, 0}, {0, 0, 0, 6}, {0, 3, 3, 3}}},
            {'G', {{4, 0, 0, 0}, {0, 0, 0, 6}, {0, 6, 4, 6}, {4, 6, 4, 3}, {4, 3, 2, 3}}},
            {'H', {{0, 0, 0, 6}, {4, 0, 4, 6}, {0, 3, 4, 3}}},
            {'I', {{2, 0, 2, 6}, {1, 0, 3, 0}, {1, 6, 3, 6}}},
            {'K', {{0, 0, 0, 6}, {4, 0, 0, 3}, {0, 3, 4, 6}}},
            {'L', {{0, 0, 0, 6}, {0, 6, 4, 6}}},
            {'M', {{0, 6, 0, 0}, {0, 0, 2, 3}, {2, 3, 4, 0}, {4, 0, 4, 6}}},
            {'N', {{0, 6, 0, 0}, {0, 0, 4, 6}, {4, 6, 4, 0}}},
            {'O', {{0, 0, 4, 0}, {4, 0, 4, 6}, {4, 6, 0, 6}, {0, 6, 0, 0}}},
            {'P', {{0, 6, 0, 0}, {0, 0, 4, 0}, {4, 0, 4, 3}, {4, 3, 0, 3}}},
            {'R', {{0, 6, 0, 0}, {0, 0, 4, 0}, {4, 0, 4, 3}, {4, 3, 0, 3}, {1, 3, 4, 6}}},
            {'S', {{4, 0, 0, 0}, {0, 0, 0, 3}, {0, 3, 4, 3}, {4, 3, 4, 6}, {4, 6, 0, 6}}},
            {'T', {{0, 0, 4, 0}, {2, 0, 2, 6}}},
            {'U', {{0, 0, 0, 6}, {0, 6, 4, 6}, {4, 6, 4, 0}}},
            {'V', {{0, 0, 2, 6}, {2, 6, 4, 0}}},
            {'W', {{0, 0, 1, 6}, {1, 6, 2, 3}, {2, 3, 3, 6}, {3, 6, 4, 0}}},
            {'Y', {{0, 0, 2, 3}, {4, 0, 2, 3}, {2, 3, 2, 6}}},
            {'Z', {{0, 0, 4, 0}, {4, 0, 0, 6}, {0, 6, 4, 6}}},
            {'0', {{0, 0, 4, 0}, {4, 0, 4, 6}, {4, 6, 0, 6}, {0, 6, 0, 0}, {0, 6, 4, 0}}},
            {'1', {{1, 1, 2, 0}, {2, 0, 2, 6}, {1, 6, 3, 6}}},
            {'2', {{0, 0, 4, 0}, {4, 0, 4, 3}, {4, 3, 0, 3}, {0, 3, 0, 6}, {0, 6, 4, 6}}},
            {'/', {{0, 6, 4, 0}}},
            {'-', {{1, 3, 3, 3}}},
            {'.', {{2, 6, 2, 6}}},
            {':', {{2, 2, 2, 2}, {2, 5, 2, 5}}},
        };
        return font;
    }

    Dib& dib_;
};

// A labelled box: the label in small capitals at its top left, the field's room below it.
struct Box {
    const char* label;
    const char* field;
    int32_t left, top, right, bottom;
    int32_t alignment = AlignLeft;
    int32_t multiLine = 0;
};

const std::vector<Box>& boxes()
{
    static const std::vector<Box> list = {
        {"PAYEE NAME", "Payee", 60, 200, 767, 270},
        {"PAYEE ACCOUNT IBAN", "IBAN", 60, 290, 560, 360},
        {"BIC", "BIC", 580, 290, 767, 360},
        {"AMOUNT", "Amount", 480, 380, 767, 450, AlignRight},
        {"CURRENCY", "Currency", 60, 380, 200, 450, AlignCentered},
        {"REFERENCE", "Reference", 60, 470, 767, 600, AlignLeft, 1},
        {"PAYER NAME", "Payer", 60, 620, 767, 690},
        {"PAYER ACCOUNT IBAN", "Payer IBAN", 60, 710, 767, 780},
        {"DATE", "<date>", 60, 820, 300, 890},
        {"SIGNATURE", "", 320, 820, 767, 890},
    };
    return list;
}

void drawForm(Dib& dib)
{
    Canvas canvas(dib);
    canvas.fill(0, 0, kWidth - 1, kHeight - 1, kWhite);

    canvas.fill(40, 60, 786, 150, kShade);
    canvas.text(60, 78, "REMITTANCE SLIP", 7, 4, kBlack);
    canvas.text(60, 135, "PLEASE WRITE IN BLOCK LETTERS", 2, 1, kDarkGrey);
    canvas.frame(40, 40, 786, 920, 3, kBlack);

    for (const Box& box : boxes()) {
        canvas.frame(box.left, box.top, box.right, box.bottom, 2, kBlack);
        canvas.text(box.left + 6, box.top + 6, box.label, 2, 1, kDarkGrey);
    }
    // Account boxes carry a comb of short ticks, one per character.
    for (int32_t x = 80; x < 560; x += 20)
        canvas.line(x, 350, x, 358, 1, kDarkGrey);
    for (int32_t x = 80; x < 767; x += 20)
        canvas.line(x, 770, x, 778, 1, kDarkGrey);

    // Cut line to the receipt below.
    for (int32_t x = 40; x < 786; x += 16)
        canvas.line(x, 960, x + 8, 960, 1, kDarkGrey);
    canvas.text(40, 975, "RECEIPT", 4, 2, kBlack);
    canvas.frame(40, 1010, 400, 1080, 2, kBlack);
    canvas.text(46, 1016, "AMOUNT", 2, 1, kDarkGrey);
    canvas.frame(420, 1010, 786, 1080, 2, kBlack);
    canvas.text(426, 1016, "PAYEE NAME", 2, 1, kDarkGrey);
}

void placeFields(FormDocument& document)
{
    FontSpec font;
    font.setSize(12);
    for (const Box& box : boxes()) {
        if (box.field[0] == '\0')
            continue;
        FormField& field = document.addField(font);
        field.name = box.field;
        field.left = box.left + 8;
        field.top = box.top + 24;
        field.right = box.right - 8;
        field.bottom = box.bottom - 6;
        field.alignment = box.alignment;
        field.multiLine = box.multiLine;
    }
    FormField& receiptAmount = document.addField(font);
    receiptAmount.name = "Amount";
    receiptAmount.left = 48;
    receiptAmount.top = 1034;
    receiptAmount.right = 392;
    receiptAmount.bottom = 1074;
    receiptAmount.alignment = AlignRight;
    FormField& receiptPayee = document.addField(font);
    receiptPayee.name = "Payee";
    receiptPayee.left = 428;
    receiptPayee.top = 1034;
    receiptPayee.right = 778;
    receiptPayee.bottom = 1074;
}

void addRecord(FormDocument& document, const std::map<std::string, std::string>& values)
{
    FormRecord record = document.recordFromFields();
    for (size_t i = 0; i < record.size(); ++i) {
        const auto value = values.find(record.layout(i).name);
        if (value != values.end())
            record.setValue(i, value->second);
    }
    document.records.push_back(std::move(record));
}

} // namespace

int main(int argc, char** argv)
{
    const std::string output = argc > 1 ? argv[1] : "sample.frm";

    FormDocument document;
    BITMAPINFOHEADER greys{};
    greys.biSize = sizeof greys;
    greys.biBitCount = 4;  // the table it carries: 16 colours
    std::vector<uint8_t> block(sizeof(BITMAPINFOHEADER) + 16 * sizeof(RGBQUAD));
    auto* table = reinterpret_cast<RGBQUAD*>(block.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < 16; ++i) {
        const auto grey = static_cast<uint8_t>(i * 17);
        table[i] = RGBQUAD{grey, grey, grey, 0};
    }
    std::memcpy(block.data(), &greys, sizeof greys);
    document.picture.reset(newdib(kWidth, kHeight, 4, reinterpret_cast<const BITMAPINFOHEADER*>(block.data()), 16));
    if (!document.picture) {
        std::fprintf(stderr, "make_sample_form: cannot create the picture\n");
        return 1;
    }
    document.picture.get().header->biXPelsPerMeter = 3937;
    document.picture.get().header->biYPelsPerMeter = 3937;
    drawForm(document.picture.get());

    placeFields(document);
    addRecord(document, {{"Payee", "Harbour Bakery Ltd."},
                         {"IBAN", "GB33 BUKB 2020 1555 5555 55"},
                         {"BIC", "BUKBGB22"},
                         {"Currency", "EUR"},
                         {"Amount", "148,50"},
                         {"Reference", "Invoice 2024-117\r\nCatering for the spring fair"},
                         {"Payer", "Mira Lindqvist"},
                         {"Payer IBAN", "DE89 3704 0044 0532 0130 00"}});
    addRecord(document, {{"Payee", "Stadtwerke S\xFC" "dhafen"},
                         {"IBAN", "DE02 1203 0000 0000 2020 51"},
                         {"BIC", "BYLADEM1001"},
                         {"Currency", "EUR"},
                         {"Amount", "62,00"},
                         {"Reference", "Customer 40-2291 water"},
                         {"Payer", "J\xFCrgen Weiss"}});

    document.FirstPoint = PointI{0, 0};
    document.SecondPoint = PointI{kWidth, kHeight};
    document.FirstPointMm = PointD{0, 0};
    document.SecondPointMm = PointD{210, 297};
    document.PrintShiftMm = PointD{0, 0};

    if (!writeFormFile(output, document)) {
        std::fprintf(stderr, "make_sample_form: cannot write %s\n", output.c_str());
        return 1;
    }
    std::printf("%s: %d x %d pixels, %zu fields, %zu records\n", output.c_str(), kWidth, kHeight,
                document.fields.size(), document.records.size());
    return 0;
}

// The one form being worked on: picture, fields, records and the form-size numbers.
// Texts are bytes of the ANSI code page (Windows-1252 unless configured); they become
// QString only at a widget or a painter.
#pragma once

#include "imgrove/Dib.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Millimetres per inch used by every inch-millimetre conversion of the program.
constexpr double MmPerInch = 25.39995;

// Screen resolution that font heights in pixels refer to.
constexpr int kFontPixelsPerInch = 96;

enum FieldAlignment : int32_t { AlignLeft = 0, AlignCentered = 1, AlignRight = 2 };

enum FontStyle : uint8_t { FontBold = 1, FontItalic = 2, FontUnderline = 4, FontStrikeOut = 8 };

// System colour "window text": the high bit marks a system colour index.
constexpr int32_t kColorWindowText = int32_t(0x80000008u);

// A field's or entry's font as kept and stored. height and size describe the same thing;
// setSize keeps height in step (size in points wins when both are set).
struct FontSpec {
    int32_t color = kColorWindowText;
    int32_t height = -13;  // pixels at kFontPixelsPerInch, negative for character height
    std::string faceName = "Arial";
    uint8_t pitch = 0;     // 0 default, 1 variable, 2 fixed
    int32_t size = 10;     // points
    uint8_t style = 0;     // FontStyle flags

    void setHeight(int32_t pixels);
    void setSize(int32_t points);
    bool operator==(const FontSpec&) const = default;
};

// Picture pixels (PointI) and millimetres (PointD).
template <class T>
struct Point {
    T x = 0;
    T y = 0;
    bool operator==(const Point&) const = default;
};
using PointI = Point<int32_t>;
using PointD = Point<double>;

// Everything of a record entry but its value: where, in which font and alignment the value is
// printed, and the name its grid row shows.
struct EntryLayout {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    FontSpec font;
    std::string name;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    int32_t multiLine = 0;
    int32_t alignment = AlignLeft;

    bool operator==(const EntryLayout&) const = default;
};

// A field placed on the form: the layout its records' entries start from, named "noname" until
// the user names it.
struct FormField : EntryLayout {
    FormField() { name = "noname"; }

    // Rectangles are inclusive.
    bool contains(int32_t x, int32_t y) const { return left <= x && x <= right && top <= y && y <= bottom; }
    bool operator==(const FormField&) const = default;
};

// One entry of a record taken as a whole, layout and value.
struct RecordEntry : EntryLayout {
    std::optional<std::string> value;  // absent: never typed, reads as empty

    bool operator==(const RecordEntry&) const = default;
};

enum class RecordDeletion {
    Deleted,
    InvalidNumber,  // no record of that number
    LastRecord,     // the only record stays: it is the template of every new one
};

// A record's entries. Records made from the same template share one list of layouts, copied only
// when one of them changes it, so a million records cost their values and not a million copies of
// every name and font; each record still reads and changes as if it owned its entries.
class FormRecord {
public:
    FormRecord() = default;
    // Entries of these layouts, values absent.
    explicit FormRecord(std::vector<EntryLayout> layouts);
    // These entries, values and all, in a layout of their own.
    FormRecord(std::initializer_list<RecordEntry> entries);

    size_t size() const { return layouts_ ? layouts_->size() : 0; }
    bool empty() const { return size() == 0; }
    const std::vector<EntryLayout>& layouts() const;
    const EntryLayout& layout(size_t i) const { return (*layouts_)[i]; }
    // Absent for an entry never given a value; i < size().
    const std::optional<std::string>& value(size_t i) const;
    const RecordEntry entry(size_t i) const;

    // i < size().
    void setValue(size_t i, std::optional<std::string> value);
    // The layout of entry i for changing it; the records sharing it keep theirs.
    EntryLayout& editLayout(size_t i);
    void append(const EntryLayout& layout, std::optional<std::string> value = {});
    void append(const RecordEntry& entry) { append(entry, entry.value); }

    // The same entries sharing this record's layouts, values absent.
    FormRecord withoutValues() const;
    bool sharesLayoutsWith(const FormRecord& other) const { return layouts_ && layouts_ == other.layouts_; }

    bool operator==(const FormRecord& other) const;

private:
    void ownLayouts();

    std::shared_ptr<std::vector<EntryLayout>> layouts_;
    // Absent values at the end are not held, so a line of one value keeps one.
    std::vector<std::optional<std::string>> values_;
};

// One chunk of the form file's extension block as it was read: a four-letter tag and its bytes.
struct ExtensionChunk {
    std::string tag;
    std::vector<uint8_t> bytes;
    bool operator==(const ExtensionChunk&) const = default;
};

// The PDF file a form's picture was rendered from, kept whole so the form stays one file, and
// the page (1-based) that became the picture.
struct OriginalPdf {
    std::vector<uint8_t> bytes;
    int32_t page = 1;
    bool operator==(const OriginalPdf&) const = default;
};

class FormDocument {
public:
    // The start-up document: blank 320 x 200 picture of 8 bits, no fields, no records.
    FormDocument();

    std::vector<FormField> fields;  // stacking order: the last lies on top
    int32_t SelectedField = 0;      // 1-based; outside 1..count means none
    std::vector<FormRecord> records;
    DibOwner picture;
    PointI FirstPoint;
    PointI SecondPoint;
    PointD FirstPointMm{0, 0};
    PointD SecondPointMm{210, 297};
    PointD PrintShiftMm{0, 0};  // right, down
    std::optional<OriginalPdf> originalPdf;
    // Chunks of the extension block this program does not know, written back as they came.
    std::vector<ExtensionChunk> otherChunks;

    // The selected field, or null when SelectedField names none.
    FormField* selectedField();

    // Appends a new field "noname" with a copy of defaultFont; returns it.
    FormField& addField(const FontSpec& defaultFont);
    // 1-based; ignored outside 1..count.
    void deleteField(int32_t index);
    // Moves the field to the end of the list, keeping the others' order.
    void bringToTop(int32_t index);
    // 1-based index of the topmost field containing the point, or 0.
    int32_t fieldAt(int32_t x, int32_t y) const;
    // Swaps inverted edges of the selected field.
    void normaliseSelected();
    void clearFields();
    void clearRecords();
    // Frees the picture and makes a new blank one (320 x 200, 8 bits, no colours given).
    void newBlankPicture();
    // "New": fields, records, picture, then points (0, 0) and paper positions 1; the print
    // shift stays. The original PDF and the other extension chunks go with the form.
    void resetForNew();
    // A record with one empty entry per field, copied from the fields in list order (taking the
    // fields over).
    FormRecord recordFromFields() const;
    // A record with one empty entry per entry of record 1 (empty when there is no record 1).
    FormRecord newRecordFromFirst() const;

    int32_t recordCount() const { return static_cast<int32_t>(records.size()); }
    // Taking the fields over: every record gives way to a single empty record made from the
    // fields.
    void takeOverFields();
    // "New record": appends newRecordFromFirst(); returns the new record's number.
    int32_t appendNewRecord();
    // 1-based; the records after it move one number down.
    RecordDeletion deleteRecord(int32_t number);
    // Stores text as the value of entry `entry` of record `number` (both 1-based); false, with
    // nothing stored, when record 1 has no such entry or there is no such record. A record with
    // fewer entries than record 1 (only a form file can hold one) first grows by record 1's
    // missing entries, values absent, so a value typed into any row of the grid is kept and is
    // never written outside its record.
    bool setRecordValue(int32_t number, int32_t entry, std::string text);
};

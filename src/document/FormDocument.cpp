#include "document/FormDocument.h"

#include "imgrove/Numeric.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int32_t kBlankWidth = 320;
constexpr int32_t kBlankHeight = 200;
constexpr int kBlankBits = 8;

} // namespace

void FontSpec::setHeight(int32_t pixels)
{
    height = pixels;
    // A negative height is the character height, which is what points measure. A positive one
    // is the cell height; without the font's metrics it is the best estimate of the size there is.
    const double magnitude = pixels < 0 ? -static_cast<double>(pixels) : static_cast<double>(pixels);
    size = roundHalfEvenToInt32(magnitude * 72.0 / kFontPixelsPerInch);
}

void FontSpec::setSize(int32_t points)
{
    size = points;
    height = roundHalfEvenToInt32(-static_cast<double>(points) * kFontPixelsPerInch / 72.0);
}

FormDocument::FormDocument()
{
    newBlankPicture();
}

FormField* FormDocument::selectedField()
{
    if (SelectedField < 1 || SelectedField > static_cast<int32_t>(fields.size()))
        return nullptr;
    return &fields[static_cast<size_t>(SelectedField - 1)];
}

FormField& FormDocument::addField(const FontSpec& defaultFont)
{
    FormField field;
    field.font = defaultFont;
    fields.push_back(std::move(field));
    return fields.back();
}

void FormDocument::deleteField(int32_t index)
{
    if (index < 1 || index > static_cast<int32_t>(fields.size()))
        return;
    fields.erase(fields.begin() + (index - 1));
}

void FormDocument::bringToTop(int32_t index)
{
    if (index < 1 || index > static_cast<int32_t>(fields.size()))
        return;
    // rotate keeps the fields behind it in their relative order.
    std::rotate(fields.begin() + (index - 1), fields.begin() + index, fields.end());
}

int32_t FormDocument::fieldAt(int32_t x, int32_t y) const
{
    for (size_t i = fields.size(); i > 0; --i)
        if (fields[i - 1].contains(x, y))
            return static_cast<int32_t>(i);
    return 0;
}

void FormDocument::normaliseSelected()
{
    FormField* field = selectedField();
    if (!field)
        return;
    if (field->left > field->right)
        std::swap(field->left, field->right);
    if (field->top > field->bottom)
        std::swap(field->top, field->bottom);
}

void FormDocument::clearFields()
{
    fields.clear();
    SelectedField = 0;
}

void FormDocument::clearRecords()
{
    records.clear();
}

void FormDocument::newBlankPicture()
{
    picture.reset();
    picture.reset(newdib(kBlankWidth, kBlankHeight, kBlankBits, nullptr, 0));
}

void FormDocument::resetForNew()
{
    clearFields();
    clearRecords();
    newBlankPicture();
    FirstPoint = PointI{0, 0};
    SecondPoint = PointI{0, 0};
    FirstPointMm = PointD{1, 1};
    SecondPointMm = PointD{1, 1};
    originalPdf.reset();
    otherChunks.clear();
}

FormRecord FormDocument::recordFromFields() const
{
    FormRecord record;
    record.entries.reserve(fields.size());
    for (const FormField& field : fields) {
        RecordEntry entry;
        entry.left = field.left;
        entry.top = field.top;
        entry.right = field.right;
        entry.bottom = field.bottom;
        entry.font = field.font;
        entry.name = field.name;
        // A fresh record starts its reserved members at 0, whatever a form file left in the
        // fields' own; only "New record" copies them, from record 1.
        entry.multiLine = field.multiLine;
        entry.alignment = field.alignment;
        record.entries.push_back(std::move(entry));
    }
    return record;
}

FormRecord FormDocument::newRecordFromFirst() const
{
    FormRecord record;
    if (records.empty())
        return record;
    record.entries = records.front().entries;
    for (RecordEntry& entry : record.entries)
        entry.value.reset();
    return record;
}

void FormDocument::takeOverFields()
{
    FormRecord record = recordFromFields();
    clearRecords();
    records.push_back(std::move(record));
}

int32_t FormDocument::appendNewRecord()
{
    records.push_back(newRecordFromFirst());
    return recordCount();
}

RecordDeletion FormDocument::deleteRecord(int32_t number)
{
    if (number < 1 || number > recordCount())
        return RecordDeletion::InvalidNumber;
    if (records.size() == 1)
        return RecordDeletion::LastRecord;
    records.erase(records.begin() + (number - 1));
    return RecordDeletion::Deleted;
}

bool FormDocument::setRecordValue(int32_t number, int32_t entry, std::string text)
{
    if (number < 1 || number > recordCount() || entry < 1)
        return false;
    const std::vector<RecordEntry>& model = records.front().entries;
    if (entry > static_cast<int32_t>(model.size()))
        return false;
    std::vector<RecordEntry>& entries = records[static_cast<size_t>(number - 1)].entries;
    while (entries.size() < static_cast<size_t>(entry)) {
        RecordEntry missing = model[entries.size()];
        missing.value.reset();
        entries.push_back(std::move(missing));
    }
    entries[static_cast<size_t>(entry - 1)].value = std::move(text);
    return true;
}

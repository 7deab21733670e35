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

FormRecord::FormRecord(std::vector<EntryLayout> layouts)
    : layouts_(std::make_shared<std::vector<EntryLayout>>(std::move(layouts)))
{
}

FormRecord::FormRecord(std::initializer_list<RecordEntry> entries)
{
    for (const RecordEntry& entry : entries)
        append(entry);
}

const std::vector<EntryLayout>& FormRecord::layouts() const
{
    static const std::vector<EntryLayout> none;
    return layouts_ ? *layouts_ : none;
}

const std::optional<std::string>& FormRecord::value(size_t i) const
{
    static const std::optional<std::string> absent;
    return i < values_.size() ? values_[i] : absent;
}

const RecordEntry FormRecord::entry(size_t i) const
{
    RecordEntry whole;
    static_cast<EntryLayout&>(whole) = layout(i);
    whole.value = value(i);
    return whole;
}

void FormRecord::setValue(size_t i, std::optional<std::string> value)
{
    if (i >= values_.size()) {
        if (!value)
            return;
        values_.resize(i + 1);
    }
    values_[i] = std::move(value);
    while (!values_.empty() && !values_.back())
        values_.pop_back();
}

void FormRecord::ownLayouts()
{
    if (!layouts_)
        layouts_ = std::make_shared<std::vector<EntryLayout>>();
    else if (layouts_.use_count() > 1)
        layouts_ = std::make_shared<std::vector<EntryLayout>>(*layouts_);
}

EntryLayout& FormRecord::editLayout(size_t i)
{
    ownLayouts();
    return (*layouts_)[i];
}

void FormRecord::append(const EntryLayout& layout, std::optional<std::string> value)
{
    // The copy comes first: layout may lie in the list that is about to be replaced.
    EntryLayout added = layout;
    ownLayouts();
    layouts_->push_back(std::move(added));
    setValue(layouts_->size() - 1, std::move(value));
}

FormRecord FormRecord::withoutValues() const
{
    FormRecord record;
    record.layouts_ = layouts_;
    return record;
}

bool FormRecord::operator==(const FormRecord& other) const
{
    return (layouts_ == other.layouts_ || layouts() == other.layouts()) && values_ == other.values_;
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
    std::vector<EntryLayout> layouts;
    layouts.reserve(fields.size());
    for (const FormField& field : fields) {
        EntryLayout entry = field;
        // A fresh record starts its reserved members at 0, whatever a form file left in the
        // fields' own; only "New record" copies them, from record 1.
        entry.reserved1 = 0;
        entry.reserved2 = 0;
        layouts.push_back(std::move(entry));
    }
    return FormRecord(std::move(layouts));
}

FormRecord FormDocument::newRecordFromFirst() const
{
    return records.empty() ? FormRecord() : records.front().withoutValues();
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
    const FormRecord& model = records.front();
    if (entry > static_cast<int32_t>(model.size()))
        return false;
    FormRecord& record = records[static_cast<size_t>(number - 1)];
    while (record.size() < static_cast<size_t>(entry))
        record.append(model.layout(record.size()));
    record.setValue(static_cast<size_t>(entry - 1), std::move(text));
    return true;
}

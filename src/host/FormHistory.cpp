#include "host/FormHistory.h"

#include <QUndoCommand>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace {

// Steps that may merge share this id; their merge keys decide.
constexpr int kMergingStepId = 1;

bool sameExceptAt(const std::vector<FormField>& before, size_t skipped, const std::vector<FormField>& after)
{
    for (size_t i = 0, j = 0; i < before.size(); ++i) {
        if (i == skipped)
            continue;
        if (!(before[i] == after[j++]))
            return false;
    }
    return true;
}

QString changeOfOneField(const FormField& before, const FormField& after, bool broughtToTop)
{
    const bool resized = before.right - before.left != after.right - after.left
                         || before.bottom - before.top != after.bottom - after.top;
    if (resized)
        return QStringLiteral("Resize field");
    if (before.left != after.left || before.top != after.top)
        return QStringLiteral("Move field");
    return broughtToTop ? QStringLiteral("Bring field to top") : QStringLiteral("Change field");
}

}  // namespace

FormParts FormState::parts() const
{
    FormParts parts = 0;
    if (fields)
        parts |= PartFields;
    if (records)
        parts |= PartRecords;
    if (formSize)
        parts |= PartFormSize;
    if (printShift)
        parts |= PartPrintShift;
    if (picture)
        parts |= PartPicture;
    return parts;
}

size_t pictureBytes(const Dib& picture)
{
    if (!picture.bits || !picture.header)
        return 0;
    const size_t height = size_t(std::abs(int64_t(picture.header->biHeight)));
    const size_t table = size_t(dibTableSize(picture.header->biBitCount)) * sizeof(RGBQUAD);
    return sizeof(BITMAPINFOHEADER) + table + size_t(picture.rowSize) * height;
}

QString fieldChangeText(const std::vector<FormField>& before, const std::vector<FormField>& after)
{
    if (after.size() > before.size())
        return QStringLiteral("Create field");
    if (after.size() < before.size())
        return QStringLiteral("Delete field");
    if (after.empty())
        return QStringLiteral("Change field");
    // A field taken to the top lies last now; the others keep their order.
    for (size_t i = 0; i + 1 < before.size(); ++i) {
        if (sameExceptAt(before, i, after))
            return changeOfOneField(before[i], after.back(), true);
    }
    for (size_t i = 0; i < before.size(); ++i) {
        if (!(before[i] == after[i]))
            return changeOfOneField(before[i], after[i], false);
    }
    return QStringLiteral("Change field");
}

class FormHistory::Command : public QUndoCommand {
public:
    Command(FormHistory& history, std::shared_ptr<FormState> state, const QString& text, QString mergeKey)
        : QUndoCommand(text), history_(history), state_(std::move(state)), mergeKey_(std::move(mergeKey))
    {
    }

    // The change was made before the step was pushed; only later redos make it again.
    void redo() override
    {
        if (std::exchange(pushed_, true))
            history_.swapWithDocument(*state_);
    }
    void undo() override { history_.swapWithDocument(*state_); }
    int id() const override { return mergeKey_.isEmpty() ? -1 : kMergingStepId; }
    // The earlier step's state is the one from before the whole run of changes, so it stays.
    bool mergeWith(const QUndoCommand* other) override
    {
        return !history_.rebuilding_ && static_cast<const Command*>(other)->mergeKey_ == mergeKey_;
    }

    const std::shared_ptr<FormState>& state() const { return state_; }
    const QString& mergeKey() const { return mergeKey_; }

private:
    FormHistory& history_;
    std::shared_ptr<FormState> state_;
    QString mergeKey_;
    bool pushed_ = false;
};

FormHistory::FormHistory(FormDocument& document) : document_(document) {}

// The steps go before the document they point into.
FormHistory::~FormHistory() { stack_.clear(); }

FormState FormHistory::capture(FormParts parts) const
{
    FormState state;
    if (parts & PartFields) {
        state.fields = document_.fields;
        state.selectedField = document_.SelectedField;
    }
    if (parts & PartRecords) {
        state.records = document_.records;
        state.recordNumber = views_.currentRecord ? views_.currentRecord() : 0;
    }
    if (parts & PartFormSize)
        state.formSize = FormSizePoints{document_.FirstPoint, document_.SecondPoint, document_.FirstPointMm,
                                        document_.SecondPointMm};
    if (parts & PartPrintShift)
        state.printShift = document_.PrintShiftMm;
    return state;
}

void FormHistory::record(FormState before, const QString& text, const QString& mergeKey)
{
    if (restoring_ || openSteps_ > 0)
        return;
    const FormState now = capture(before.parts());
    // A click that only selects another field changes nothing worth a step.
    const bool changed = before.fields != now.fields || before.records != now.records
                         || before.formSize != now.formSize || before.printShift != now.printShift;
    if (changed)
        push(std::move(before), text, mergeKey);
}

void FormHistory::replacePicture(Dib replacement, const QString& text)
{
    DibOwner previous(document_.picture.release());
    document_.picture.reset(replacement);
    recordPicture(std::move(previous), text);
}

void FormHistory::recordPicture(DibOwner previous, const QString& text)
{
    if (!previous || restoring_)
        return;
    FormState state;
    state.picture = std::move(previous);
    push(std::move(state), text, {});
    keepPicturesWithinBudget();
}

void FormHistory::clear() { stack_.clear(); }

void FormHistory::push(FormState state, const QString& text, const QString& mergeKey)
{
    stack_.push(new Command(*this, std::make_shared<FormState>(std::move(state)), text, mergeKey));
}

void FormHistory::swapWithDocument(FormState& state)
{
    restoring_ = true;
    if (state.fields) {
        std::swap(*state.fields, document_.fields);
        std::swap(state.selectedField, document_.SelectedField);
    }
    int recordToShow = 0;
    if (state.records) {
        std::swap(*state.records, document_.records);
        recordToShow = std::exchange(state.recordNumber, views_.currentRecord ? views_.currentRecord() : 0);
    }
    if (state.formSize) {
        FormSizePoints& points = *state.formSize;
        std::swap(points.FirstPoint, document_.FirstPoint);
        std::swap(points.SecondPoint, document_.SecondPoint);
        std::swap(points.FirstPointMm, document_.FirstPointMm);
        std::swap(points.SecondPointMm, document_.SecondPointMm);
    }
    if (state.printShift)
        std::swap(*state.printShift, document_.PrintShiftMm);
    if (state.picture)
        std::swap(state.picture, document_.picture);
    if (views_.restored)
        views_.restored(state.parts(), recordToShow);
    restoring_ = false;
}

void FormHistory::keepPicturesWithinBudget()
{
    for (;;) {
        int pictures = 0;
        size_t bytes = 0;
        int oldestPicture = -1;
        for (int i = 0; i < stack_.count(); ++i) {
            const auto* step = static_cast<const Command*>(stack_.command(i));
            if (!step->state()->picture)
                continue;
            if (oldestPicture < 0)
                oldestPicture = i;
            ++pictures;
            bytes += pictureBytes(step->state()->picture.get());
        }
        if (oldestPicture < 0 || (pictures <= budget_.pictures && bytes <= budget_.bytes))
            return;
        const QString dropped = stack_.text(oldestPicture);
        dropStepsUpTo(oldestPicture);
        if (views_.tell)
            views_.tell(QStringLiteral("\"%1\" can no longer be undone: undo keeps at most %2 pictures in %3 MB.")
                            .arg(dropped)
                            .arg(budget_.pictures)
                            .arg(budget_.bytes >> 20));
    }
}

// A stack drops no steps from its bottom, so the steps kept go onto it afresh. Every step is
// done here: the push that ran over the budget ended any redo.
void FormHistory::dropStepsUpTo(int index)
{
    struct Kept {
        std::shared_ptr<FormState> state;
        QString text;
        QString mergeKey;
    };
    std::vector<Kept> kept;
    for (int i = index + 1; i < stack_.count(); ++i) {
        const auto* step = static_cast<const Command*>(stack_.command(i));
        kept.push_back({step->state(), step->text(), step->mergeKey()});
    }
    rebuilding_ = true;
    stack_.clear();
    for (Kept& step : kept)
        stack_.push(new Command(*this, std::move(step.state), step.text, std::move(step.mergeKey)));
    rebuilding_ = false;
}

FormHistory::Step::Step(FormHistory& history, FormParts parts, QString text, QString mergeKey)
    : history_(history), text_(std::move(text)), mergeKey_(std::move(mergeKey))
{
    if (!history_.restoring_ && history_.openSteps_ == 0)
        before_ = history_.capture(parts);
    ++history_.openSteps_;
}

FormHistory::Step::~Step()
{
    --history_.openSteps_;
    if (before_)
        history_.record(std::move(*before_), text_, mergeKey_);
}

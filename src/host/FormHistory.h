// Undo and redo of the user's changes to the form. A step keeps the part of the document it
// changed as it is not now (before the change while done, after it while undone), and undoing or
// redoing swaps that with the document: one piece of code serves both directions and no step
// needs to know how its change was made. Pages change the document as they always did and
// record the step around it; pictures are kept within a memory budget.
#pragma once

#include "document/FormDocument.h"

#include <QString>
#include <QUndoStack>

#include <cstddef>
#include <functional>
#include <optional>

// The parts of the document a step can keep; the picture is kept by recordPicture alone.
enum FormPart : unsigned {
    PartFields = 1,      // the fields and which is selected
    PartRecords = 2,     // the records, and the record number the grid shows
    PartFormSize = 4,    // the two points and their paper positions
    PartPrintShift = 8,
    PartPicture = 16,
};
using FormParts = unsigned;

struct FormSizePoints {
    PointI FirstPoint;
    PointI SecondPoint;
    PointD FirstPointMm;
    PointD SecondPointMm;
    bool operator==(const FormSizePoints&) const = default;
};

// What a step keeps of the document; a part left empty is a part the step does not touch.
struct FormState {
    std::optional<std::vector<FormField>> fields;
    int32_t selectedField = 0;
    std::optional<std::vector<FormRecord>> records;
    int recordNumber = 0;
    std::optional<FormSizePoints> formSize;
    std::optional<PointD> printShift;
    DibOwner picture;

    FormParts parts() const;
};

// How many previous pictures the steps may keep, and in how many bytes together.
struct PictureBudget {
    size_t bytes = size_t(1) << 30;
    int pictures = 10;
};

// Memory a picture holds: header, colour table and rows.
size_t pictureBytes(const Dib& picture);

// The name of a change to the fields that a mouse drag made, from the fields before it.
QString fieldChangeText(const std::vector<FormField>& before, const std::vector<FormField>& after);

class FormHistory {
public:
    // The views of the parts a step restored repaint through restored; recordNumber is the
    // record the grid is to show. currentRecord gives the record the grid shows now, tell puts
    // a sentence in the status bar.
    struct Views {
        std::function<void(FormParts parts, int recordNumber)> restored;
        std::function<int()> currentRecord;
        std::function<void(const QString&)> tell;
    };

    explicit FormHistory(FormDocument& document);
    ~FormHistory();
    FormHistory(const FormHistory&) = delete;
    FormHistory& operator=(const FormHistory&) = delete;

    void setViews(Views views) { views_ = std::move(views); }
    void setPictureBudget(PictureBudget budget) { budget_ = budget; }
    QUndoStack& stack() { return stack_; }

    // The named parts as they are now, to hand to record after the change.
    FormState capture(FormParts parts) const;
    // One step back to before, when the document differs from it. Changes made while a step is
    // being undone or redone, or inside an open Step, are not steps of their own. Consecutive
    // steps of one non-empty mergeKey (typing into one value) become one step.
    void record(FormState before, const QString& text, const QString& mergeKey = {});
    // The document's picture becomes replacement; the one it had is kept for undo.
    void replacePicture(Dib replacement, const QString& text);
    // The document's picture was replaced already; previous is the one it had.
    void recordPicture(DibOwner previous, const QString& text);
    void clear();

    // Set while a step is undone or redone: the views' change handlers must not record.
    bool restoring() const { return restoring_; }

    // Records one step for everything done to the parts during its lifetime; steps opened inside
    // it record nothing of their own.
    class Step {
    public:
        Step(FormHistory& history, FormParts parts, QString text, QString mergeKey = {});
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        FormHistory& history_;
        std::optional<FormState> before_;
        QString text_;
        QString mergeKey_;
    };

private:
    class Command;
    friend class Command;

    // Swaps the step's state with the document and lets the views show it.
    void swapWithDocument(FormState& state);
    void push(FormState state, const QString& text, const QString& mergeKey);
    // Drops the oldest steps until the pictures left fit the budget.
    void keepPicturesWithinBudget();
    void dropStepsUpTo(int index);

    FormDocument& document_;
    QUndoStack stack_;
    Views views_;
    PictureBudget budget_;
    bool restoring_ = false;
    bool rebuilding_ = false;
    int openSteps_ = 0;
};

// The history's step, by its short name for the pages.
using UndoStep = FormHistory::Step;

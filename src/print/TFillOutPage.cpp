#include "print/TFillOutPage.h"

#include "document/RecordCsv.h"
#include "host/FormHost.h"
#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/LocalFileName.h"
#include "platform/Printer.h"
#include "platform/WriteFailure.h"
#include "print/FormSizePrompts.h"
#include "print/TStringGrid.h"
#include "print/TextLength.h"

#include <algorithm>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kValueColWidth = 500;
constexpr int kMaxRecordNumber = 99999;

const char* const kNoRecordsText = "You have to create some form fields first!";
const char* const kNoRecordsCaption = "of 0 data sets";
const char* const kCsvFilter = "CSV (Trennzeichen getrennt) (*.csv)|*.csv|Alle Dateien (*.*)|*.*";
const char* const kCsvExtension = "csv";

FileRequest csvRequest(const QString& title)
{
    FileRequest request;
    request.title = title;
    request.filter = QString::fromLatin1(kCsvFilter);
    request.defaultExt = QString::fromLatin1(kCsvExtension);
    request.hideReadOnly = true;
    return request;
}


// Why an import read no record from the file; empty when the file was read.
QString importFailureText(CsvImportStatus status)
{
    switch (status) {
    case CsvImportStatus::CannotOpen:
        return QStringLiteral("Can not open the file.");
    case CsvImportStatus::Empty:
        return QStringLiteral("The file is empty: it holds no records.");
    case CsvImportStatus::NotText:
        return QStringLiteral("The file is not a text file: it holds no records.");
    case CsvImportStatus::Ok:
    case CsvImportStatus::NoRecords:
        break;
    }
    return {};
}

// The memo breaks lines with LF alone; values keep the CR LF of the system they come from.
QString memoText(const QString& value)
{
    QString text = value;
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QString valueText(const QString& memo)
{
    QString text = memo;
    return text.replace(u'\n', QStringLiteral("\r\n"));
}

}  // namespace

TFillOutPage::TFillOutPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    buildLayout();
    StringGrid->onSetEditText = [this](int col, int row, const QString& text) { StringGridSetEditText(col, row, text); };
    StringGrid->onSelectCell = [this](int col, int row) { StringGridSelectCell(col, row); };
    connect(OvertakeBtn, &QToolButton::clicked, this, &TFillOutPage::OvertakeBtnClick);
    connect(FontBtn, &QToolButton::clicked, this, &TFillOutPage::FontBtnClick);
    connect(ImportTBtn, &QToolButton::clicked, this, &TFillOutPage::ImportTBtnClick);
    connect(ExportTBtn, &QToolButton::clicked, this, &TFillOutPage::ExportTBtnClick);
    connect(NewDSatzBtn, &QPushButton::clicked, this, &TFillOutPage::NewDSatzBtnClick);
    connect(DelDSatzBtn, &QPushButton::clicked, this, &TFillOutPage::DelDSatzBtnClick);
    connect(DSatzED, &QSpinBox::valueChanged, this, &TFillOutPage::DSatzEDChange);
    connect(Memo2, &QPlainTextEdit::textChanged, this, &TFillOutPage::Memo2Change);
    loadMemoFrom(StringGrid->Col(), StringGrid->Row());
}

void TFillOutPage::buildLayout()
{
    OvertakeBtn = toolButton({.text = QStringLiteral("Take over form fields... ")}, this);
    OvertakeBtn->setToolTip(QStringLiteral("Click here if you have changed the form fields"));
    FontBtn = toolButton({.text = QStringLiteral("Font")}, this);
    ImportTBtn = toolButton({.text = QStringLiteral("Import...")}, this);
    ExportTBtn = toolButton({.text = QStringLiteral("Export...")}, this);
    auto* toolRow = new QHBoxLayout;
    for (QToolButton* button : {OvertakeBtn, FontBtn, ImportTBtn, ExportTBtn})
        toolRow->addWidget(button);
    toolRow->addStretch();

    NewDSatzBtn = new QPushButton(QStringLiteral("New record"), this);
    DelDSatzBtn = new QPushButton(QStringLiteral("Delete record"), this);
    DSatzED = new QSpinBox(this);
    DSatzED->setRange(1, kMaxRecordNumber);
    DSatzED->setSingleStep(1);
    DSatzED->setValue(1);
    auto* recordLabel = new QLabel(QStringLiteral("Current record:"), this);
    recordLabel->setBuddy(DSatzED);
    DanzLabel = new QLabel(QString::fromLatin1(kNoRecordsCaption), this);
    auto* recordRow = new QHBoxLayout;
    recordRow->addWidget(recordLabel);
    recordRow->addWidget(DSatzED);
    recordRow->addWidget(DanzLabel);
    recordRow->addSpacing(16);
    recordRow->addWidget(NewDSatzBtn);
    recordRow->addWidget(DelDSatzBtn);
    recordRow->addStretch();

    StringGrid = new TStringGrid(this);
    StringGrid->setObjectName("StringGrid");
    QFont gridFont(QStringLiteral("MS Sans Serif"));
    gridFont.setPixelSize(11);
    StringGrid->setFont(gridFont);
    StringGrid->SetCells(0, 0, QStringLiteral("Field name"));
    StringGrid->SetCells(1, 0, QStringLiteral("Value"));

    Memo2 = new QPlainTextEdit(this);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setMaximumHeight(110);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(toolRow);
    layout->addLayout(recordRow);
    layout->addWidget(StringGrid, 1);
    layout->addWidget(Memo2);
}

void TFillOutPage::loadMemoFrom(int col, int row)
{
    LoadingMemo = true;
    Memo2->clear();
    Memo2->setPlainText(memoText(StringGrid->Cells(col, row)));
    LoadingMemo = false;
}

void TFillOutPage::showEntryNames()
{
    const FormRecord& first = host_.document().records.front();
    StringGrid->SetColWidth(1, kValueColWidth);
    StringGrid->SetRowCount(int(first.size()) + 1);
    StringGrid->SetCells(0, 0, QStringLiteral("Field name"));
    StringGrid->SetCells(1, 0, QStringLiteral("Value"));
    for (size_t i = 0; i < first.size(); ++i)
        StringGrid->SetCells(0, int(i) + 1, ansiToQString(first.layout(i).name));
}

void TFillOutPage::showRecordCount()
{
    DanzLabel->setText(QString::number(host_.document().recordCount()) + QStringLiteral(" Records"));
}

void TFillOutPage::OvertakeBtnClick()
{
    FormDocument& doc = host_.document();
    Prompts& prompts = host_.prompts();
    if (doc.fields.empty()) {
        showError(prompts, QStringLiteral("You have to define some form fields!"), QStringLiteral("Error"));
    } else if (prompts.message(QStringLiteral("Attention: you will lose all existing records!"),
                               QStringLiteral("Overtake form fields... "), MsgIcon::Information,
                               MsgButtons::OkCancel) == MsgAnswer::Ok) {
        UndoStep step(host_.history(), PartRecords, QStringLiteral("Take over form fields"));
        doc.takeOverFields();
        showEntryNames();
        for (int row = 1; row < StringGrid->RowCount(); ++row)
            StringGrid->SetCells(1, row, QString());
        DSatzED->setValue(1);
        showRecordCount();
    }
    loadMemoFrom(StringGrid->Col(), StringGrid->Row());
}

void TFillOutPage::FontBtnClick()
{
    const FontChoice current{StringGrid->font(), StringGrid->palette().color(QPalette::Text)};
    const std::optional<FontChoice> choice = host_.prompts().fontDialog(current);
    if (!choice)
        return;
    StringGrid->setFont(choice->font);
    QPalette palette = StringGrid->palette();
    palette.setColor(QPalette::Text, choice->color);
    StringGrid->setPalette(palette);
}

void TFillOutPage::NewDSatzBtnClick()
{
    FormDocument& doc = host_.document();
    if (doc.records.empty()) {
        showError(host_.prompts(), QString::fromLatin1(kNoRecordsText));
        return;
    }
    UndoStep step(host_.history(), PartRecords, QStringLiteral("New record"));
    const int number = doc.appendNewRecord();
    showRecordCount();
    DSatzED->setValue(number);
}

void TFillOutPage::DelDSatzBtnClick()
{
    FormDocument& doc = host_.document();
    UndoStep step(host_.history(), PartRecords, QStringLiteral("Delete record"));
    switch (doc.deleteRecord(DSatzED->value())) {
    case RecordDeletion::InvalidNumber:
        showError(host_.prompts(), QStringLiteral("You have to select a valid record!"));
        return;
    case RecordDeletion::LastRecord:
        showError(host_.prompts(), QStringLiteral("You can not delete the last record."));
        return;
    case RecordDeletion::Deleted:
        break;
    }
    if (DSatzED->value() <= doc.recordCount())
        DSatzEDChange();
    else
        DSatzED->setValue(doc.recordCount());
    showRecordCount();
}

void TFillOutPage::DSatzEDChange()
{
    const FormDocument& doc = host_.document();
    if (DSatzED->value() > doc.recordCount())
        DSatzED->setValue(doc.recordCount());
    if (doc.records.empty())
        return;
    const int number = DSatzED->value();
    const FormRecord& record = doc.records[size_t(number - 1)];
    // Rows beyond a short record's entries show it holds nothing there, not another record's
    // values.
    for (int row = 1; row < StringGrid->RowCount(); ++row) {
        const bool held = size_t(row) <= record.size() && record.value(size_t(row - 1));
        StringGrid->SetCells(1, row, held ? ansiToQString(*record.value(size_t(row - 1))) : QString());
    }
    loadMemoFrom(StringGrid->Col(), StringGrid->Row());
}

void TFillOutPage::StringGridSelectCell(int col, int row) { loadMemoFrom(col, row); }

void TFillOutPage::StringGridSetEditText(int col, int row, const QString& text)
{
    FormDocument& doc = host_.document();
    Prompts& prompts = host_.prompts();
    const int number = DSatzED->value();
    if (number < 1 || number > doc.recordCount())
        return;
    if (doc.records.front().empty()) {
        showError(prompts, QStringLiteral("Invalid data set"));
        return;
    }
    const std::string value = qStringToAnsi(text);
    if (IsFormSizeOk(doc, prompts, true)) {
        const FormRecord& record = doc.records[size_t(number - 1)];
        if (col == 1 && row >= 1 && size_t(row) <= record.size()) {
            const auto tooLong = [&](std::string_view candidate) {
                return textTooLong(currentPrinter(), orderFormSize(doc), host_.printerMmPerInchX(),
                                   record.layout(size_t(row - 1)), candidate);
            };
            // The hint comes as the value grows too long, not again on every further key: the value
            // it replaces must have been short enough (or empty).
            const std::string previous = record.value(size_t(row - 1)).value_or(std::string());
            if (tooLong(value) && (previous.empty() || !tooLong(previous)))
                prompts.message(
                    QStringLiteral("The text is to long. Use multi lines fields (Form field/right mouse button)."),
                    QStringLiteral("Hint"), MsgIcon::Information, MsgButtons::Ok);
        }
    }
    if (col == 1 && row >= 1) {
        FormState before = host_.history().capture(PartRecords);
        doc.setRecordValue(number, row, value);
        // Typing into one value is one step, however many keys it takes.
        host_.history().record(std::move(before), QStringLiteral("Value"), QStringLiteral("value %1 %2").arg(number).arg(row));
    }
    if (!EditingFromMemo)
        loadMemoFrom(col, row);
}

void TFillOutPage::Memo2Change()
{
    if (LoadingMemo)
        return;
    EditingFromMemo = true;
    const QString text = valueText(Memo2->toPlainText());
    StringGrid->SetCells(StringGrid->Col(), StringGrid->Row(), text);
    StringGridSetEditText(StringGrid->Col(), StringGrid->Row(), text);
    EditingFromMemo = false;
}

void TFillOutPage::ExportTBtnClick()
{
    const FormDocument& doc = host_.document();
    Prompts& prompts = host_.prompts();
    if (doc.records.empty()) {
        showError(prompts, QString::fromLatin1(kNoRecordsText));
        return;
    }
    FileRequest request = csvRequest(QStringLiteral("Export records"));
    request.overwritePrompt = true;
    const std::optional<FileChoice> choice = prompts.saveFile(request);
    if (!choice)
        return;
    const WriteResult written =
        exportCsvFile(doc, localFileName(choice->fileName), progressTo(host_));
    if (!written)
        showError(prompts,
                  written.opened ? writeFailureText(choice->fileName, written.error) : QStringLiteral("Can not create the file."));
}

void TFillOutPage::ImportTBtnClick()
{
    FormDocument& doc = host_.document();
    Prompts& prompts = host_.prompts();
    if (doc.records.empty()) {
        showError(prompts, QString::fromLatin1(kNoRecordsText));
        return;
    }
    if (const std::optional<FileChoice> choice = prompts.openFile(csvRequest(QStringLiteral("Import records")))) {
        UndoStep step(host_.history(), PartRecords, QStringLiteral("Import records"));
        const CsvImportResult result = importCsvFile(doc, localFileName(choice->fileName), utf8ToAnsi,
                                                     progressTo(host_));
        if (const QString failure = importFailureText(result.status); !failure.isEmpty())
            showError(prompts, failure);
        if (result.recordsAdded > 0) {
            showRecordCount();
            DSatzED->setValue(doc.recordCount());
        }
    }
    DSatzEDChange();
}

void TFillOutPage::documentChanged() { showRecords(1); }

void TFillOutPage::showRecords(int number)
{
    const FormDocument& doc = host_.document();
    if (doc.records.empty()) {
        StringGrid->SetRowCount(2);
        StringGrid->SetCells(0, 1, QString());
        StringGrid->SetCells(1, 1, QString());
        DanzLabel->setText(QString::fromLatin1(kNoRecordsCaption));
    } else {
        showEntryNames();
        setCurrentRecordNumber(std::clamp(number, 1, doc.recordCount()));
        showRecordCount();
    }
    loadMemoFrom(StringGrid->Col(), StringGrid->Row());
}

int TFillOutPage::currentRecordNumber() const { return DSatzED->value(); }

void TFillOutPage::setCurrentRecordNumber(int number)
{
    // Setting the number it already has fires no change of the box, but callers rely on the
    // grid showing that record afterwards.
    if (DSatzED->value() == number)
        DSatzEDChange();
    else
        DSatzED->setValue(number);
}

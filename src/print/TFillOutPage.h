// The "Fill out the form" tab's content: the record grid with one row per entry, the current
// record number, the buttons for the records and their CSV files, and the value editor below.
// Every change of a value is stored at once into the current record.
#pragma once

#include <QWidget>

class FormHost;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QToolButton;
class TStringGrid;

class TFillOutPage : public QWidget {
    Q_OBJECT
public:
    explicit TFillOutPage(FormHost& host, QWidget* parent = nullptr);

    // "Take over form fields... ": one fresh, empty record made from the fields.
    void OvertakeBtnClick();
    void FontBtnClick();
    void ImportTBtnClick();
    void ExportTBtnClick();
    void NewDSatzBtnClick();
    void DelDSatzBtnClick();
    // The current record number changed: the grid shows that record's values.
    void DSatzEDChange();
    void StringGridSelectCell(int col, int row);
    void StringGridSetEditText(int col, int row, const QString& text);
    void Memo2Change();

    // Shows the document's records after a form file was opened or "New" replaced them.
    void documentChanged();
    // Shows the document's records again after an undo or redo, record number (clamped) in the
    // grid.
    void showRecords(int number);

    int currentRecordNumber() const;
    // Fires DSatzEDChange as a change by the user does.
    void setCurrentRecordNumber(int number);

    QToolButton* OvertakeBtn = nullptr;
    QToolButton* FontBtn = nullptr;
    QToolButton* ImportTBtn = nullptr;
    QToolButton* ExportTBtn = nullptr;
    QPushButton* NewDSatzBtn = nullptr;
    QPushButton* DelDSatzBtn = nullptr;
    QSpinBox* DSatzED = nullptr;
    QLabel* DanzLabel = nullptr;
    TStringGrid* StringGrid = nullptr;
    QPlainTextEdit* Memo2 = nullptr;

    // Set while the program fills Memo2, so that its change handler does nothing.
    bool LoadingMemo = false;
    // Set while a change made in Memo2 goes into the grid, so that the grid does not reload it.
    bool EditingFromMemo = false;

private:
    void buildLayout();
    // Memo2 shows the text of a grid cell; the guard keeps it from writing back.
    void loadMemoFrom(int col, int row);
    // Row labels and row count from record 1's entries.
    void showEntryNames();
    void showRecordCount();

    FormHost& host_;
};

// The record grid: column 0 and row 0 are fixed, so only column 1 of rows 1 and beyond can be
// selected and edited. Rows and columns are numbered as the record editor counts them: row 0 is
// the title row, row i belongs to entry i. The fixed row and column are the view's headers, so
// the field names stay in sight however the wide value column scrolls.
#pragma once

#include <QTableWidget>

#include <functional>

class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit TStringGrid(QWidget* parent = nullptr);

    // Rows counted with the title row; at least 2.
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int rows);
    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    void SetColWidth(int col, int width);
    // The cell the user is on: always column 1.
    int Col() const { return 1; }
    int Row() const { return currentRow() + 1; }

    // Every change of the in-place editor's text (every keystroke) and once more when it closes;
    // the cell holds the new text already.
    std::function<void(int col, int row, const QString& text)> onSetEditText;
    // A cell is about to become the current one.
    std::function<void(int col, int row)> onSelectCell;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class EditDelegate;
    QString cornerTitle_;
    void editTextChanged(int row, const QString& text);
};

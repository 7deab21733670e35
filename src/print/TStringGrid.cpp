#include "print/TStringGrid.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>

namespace {

constexpr int kDefaultColWidth = 200;
constexpr int kRowHeight = 24;

QTableWidgetItem* headerItem()
{
    auto* item = new QTableWidgetItem;
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return item;
}

QTableWidgetItem* valueItem()
{
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    return item;
}

}  // namespace

// The in-place editor reports each change of its text, not only the final one.
class TStringGrid::EditDelegate : public QStyledItemDelegate {
public:
    explicit EditDelegate(TStringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        const int row = index.row() + 1;
        connect(editor, &QLineEdit::textEdited, grid_, [grid = grid_, row](const QString& text) {
            grid->editTextChanged(row, text);
        });
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        // The grid writes each keystroke back into the cell; reloading the editor then would
        // move its cursor to the end.
        auto* line = static_cast<QLineEdit*>(editor);
        const QString text = index.data(Qt::EditRole).toString();
        if (line->text() != text)
            line->setText(text);
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        grid_->editTextChanged(index.row() + 1, static_cast<QLineEdit*>(editor)->text());
    }

private:
    TStringGrid* grid_;
};

TStringGrid::TStringGrid(QWidget* parent) : QTableWidget(parent)
{
    setColumnCount(1);
    setHorizontalHeaderItem(0, headerItem());
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    verticalHeader()->setFixedWidth(kDefaultColWidth);
    setColumnWidth(0, kDefaultColWidth);
    setWordWrap(false);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::AllEditTriggers);
    setItemDelegate(new EditDelegate(this));
    // The corner above the names is the title cell of column 0.
    if (auto* corner = findChild<QAbstractButton*>())
        corner->installEventFilter(this);
    SetRowCount(2);
    connect(this, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (row >= 0 && onSelectCell)
            onSelectCell(1, row + 1);
    });
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event)
{
    auto* corner = qobject_cast<QAbstractButton*>(watched);
    if (!corner || event->type() != QEvent::Paint)
        return QTableWidget::eventFilter(watched, event);
    QStyleOptionHeader option;
    option.initFrom(corner);
    option.rect = corner->rect();
    option.text = cornerTitle_;
    option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.position = QStyleOptionHeader::OnlyOneSection;
    QPainter painter(corner);
    corner->style()->drawControl(QStyle::CE_Header, &option, &painter, corner);
    return true;
}

void TStringGrid::SetRowCount(int rows)
{
    const int before = rowCount();
    setRowCount(std::max(rows, 2) - 1);
    for (int row = before; row < rowCount(); ++row) {
        setVerticalHeaderItem(row, headerItem());
        setItem(row, 0, valueItem());
    }
    if (currentRow() < 0)
        setCurrentCell(0, 0);
}

void TStringGrid::SetColWidth(int col, int width)
{
    if (col == 0)
        verticalHeader()->setFixedWidth(width);
    else
        setColumnWidth(0, width);
}

QString TStringGrid::Cells(int col, int row) const
{
    const QTableWidgetItem* cell = nullptr;
    if (row == 0)
        return col == 0 ? cornerTitle_ : horizontalHeaderItem(0)->text();
    cell = col == 0 ? verticalHeaderItem(row - 1) : item(row - 1, 0);
    return cell ? cell->text() : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text)
{
    if (row == 0 && col == 0) {
        cornerTitle_ = text;
        viewport()->update();
        if (auto* corner = findChild<QAbstractButton*>())
            corner->update();
        return;
    }
    QTableWidgetItem* cell = nullptr;
    if (row == 0)
        cell = horizontalHeaderItem(0);
    else
        cell = col == 0 ? verticalHeaderItem(row - 1) : item(row - 1, 0);
    if (cell)
        cell->setText(text);
}

void TStringGrid::editTextChanged(int row, const QString& text)
{
    SetCells(1, row, text);
    if (onSetEditText)
        onSetEditText(1, row, text);
}

// The "Form fields" tab's content: the field canvas in its scroll box, the tool bar, the bar of
// field controls, the field popup menu and the field dialogs.
#pragma once

#include "editor/FieldCanvas.h"
#include "editor/FieldProposals.h"
#include "editor/TFieldCanvasBox.h"
#include "host/FormHistory.h"

#include <QPoint>
#include <QWidget>
#include <optional>

class Dc;
class FormHost;
class QAction;
class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;
class QSettings;
class QSpinBox;
class QToolButton;
class TOcrLanguageBox;
class TNewNameForm;
class TNewPosSizeForm;
class TObjListForm;

class TFieldsPage : public QWidget {
    Q_OBJECT
public:
    explicit TFieldsPage(FormHost& host, QWidget* parent = nullptr);

    void repaintView();
    // A new or changed picture: proposals found on the old one are dropped.
    void pictureChanged();
    // After a form file is opened or "New": the name box follows the document's selection.
    void documentChanged();
    // The default field font, kept between runs.
    void loadSettings(QSettings& settings);
    void saveSettings(QSettings& settings) const;

    // The canvas.
    void PaintBox1Paint(Dc& dc);
    void PaintBox1MouseDown(MouseButton button, int x, int y);
    void PaintBox1MouseMove(int x, int y);
    void PaintBox1MouseUp(int x, int y);
    // Arrow keys move the selected field by a grid step (ten with Shift); Delete deletes it.
    // False for any other key. While the mouse holds the canvas every key is taken and unused.
    bool PaintBox1KeyDown(int key, bool shift);
    // A mouse button pressed on the canvas (a field drag or the hand tool) is still down.
    bool mouseHeld() const { return drag_.buttonHeld() || panning_; }
    void ZoomEdChange();
    void TabSheetResize();
    EditorTool tool() const;
    CanvasGeometry geometry() const;

    // The field commands.
    void lschen1Click();
    void Duplizieren1Click();
    void Greandern1Click();
    void Schriftart1Click();
    void Umbenennen1Click();
    void setAlignment(int32_t alignment);
    void Mehrzeilig1Click();
    void NameEdKeyPress();
    void DateFieldBtnClick();
    void ListederObjekte1Click();
    void StdFontBtnClick();

    // The field search: the proposals it finds wait over the picture; a left click on one takes
    // it as a field, a right click drops it, Esc or "Done" drops those left.
    void FindFieldsBtnClick();
    void AcceptAllBtnClick();
    void DoneBtnClick();
    const ProposalReview& proposals() const { return review_; }

    const FontSpec& defaultFont() const { return defaultFont_; }

    QScrollArea* ScrollBox = nullptr;
    TFieldCanvasBox* PaintBox1 = nullptr;
    QToolButton* FieldBtn = nullptr;
    QToolButton* LupeBtn = nullptr;
    QToolButton* HandBtn = nullptr;
    QLineEdit* NameEd = nullptr;
    QCheckBox* BringUpCheck = nullptr;
    QSpinBox* GitterED = nullptr;
    QDoubleSpinBox* ZoomEd = nullptr;
    QPushButton* DateFieldBtn = nullptr;
    QPushButton* ListederObjekte1 = nullptr;
    QPushButton* StdFontBtn = nullptr;
    QPushButton* FindFieldsBtn = nullptr;
    TOcrLanguageBox* OcrLanguageBox = nullptr;
    QWidget* FieldSearchBar = nullptr;
    QLabel* ProposalText = nullptr;
    QPushButton* AcceptAllBtn = nullptr;
    QPushButton* DoneBtn = nullptr;

    QMenu* FieldPopUp = nullptr;
    QAction* lschen1 = nullptr;
    QAction* Duplizieren1 = nullptr;
    QAction* Greandern1 = nullptr;
    QAction* Schriftart1 = nullptr;
    QAction* Umbenennen1 = nullptr;
    QAction* Linksbndig1 = nullptr;
    QAction* Zentriert1 = nullptr;
    QAction* Rechtsbndig1 = nullptr;
    QAction* Mehrzeilig1 = nullptr;

    TNewNameForm* NewNameForm = nullptr;
    TNewPosSizeForm* NewPosSizeForm = nullptr;
    TObjListForm* ObjListForm = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildTopBar();
    QWidget* buildToolBar();
    // "Find fields...", the label language and, while proposals wait, their count, "Accept all" and "Done".
    QWidget* buildFieldSearchBar();
    // After a proposal was taken or dropped: the bar counts what is left, or goes.
    void showProposals();
    // A left or right press on a proposal while the search's proposals wait; false elsewhere.
    bool pressOnProposal(MouseButton button, PointI picturePoint);
    void buildPopupMenu();
    // Shows the selected field's name in the name box; the box is disabled without a selection.
    void showSelectedName();
    // Checks the popup's items for the selected field and opens it at a screen position.
    void openFieldPopup(QPoint globalPos);
    std::string nameBoxText() const;
    int32_t grid() const;
    void repaintCanvas();
    // After a field dialog: the arrows and Delete act on the canvas again.
    void focusCanvas();
    // The press or drag that began at beforePress_ becomes a step, named by what it did.
    void recordPress();

    FormHost& host_;
    FieldDrag drag_;
    // The fields as they were when the mouse went down: a drag is one step.
    std::optional<FormState> beforePress_;
    bool panning_ = false;
    PointI panAnchor_;
    FontSpec defaultFont_;
    ProposalReview review_;
    std::optional<QPoint> listPopupAt_;  // a right press in the list of fields asked for the popup here
};

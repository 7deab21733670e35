// The "Set form size" tab's content: easy mode and extended mode.
#pragma once

#include "print/FormSize.h"

#include <QWidget>

class Dc;
class FormHost;
class QCheckBox;
class QDoubleSpinBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSettings;
class QTabWidget;

class TFormSizePage : public QWidget {
    Q_OBJECT
public:
    explicit TFormSizePage(FormHost& host, QWidget* parent = nullptr);

    // Derives the easy-mode height from the width when "Maintain aspect ratio" is on; called
    // after start-up and after a picture is opened, a form file is opened, a resize or a crop.
    void FBreitEdinChange();
    void FHochEdinChange();
    void AutoSverhCheckClick();
    // "Use this size now!": the picture is the whole sheet.
    void EasyOvertakeBtnClick();

    // Shows the document's form-size values (after an open or "New") and fills the distance
    // boxes from the chosen point.
    void documentChanged();
    // The same after an undo or redo gave the form size back, the easy-mode size included when
    // the easy mode made it.
    void showRestoredFormSize();
    // Repaints the point view.
    void repaintView();
    // The easy-mode width, height and "Maintain aspect ratio", kept between runs.
    void loadSettings(QSettings& settings);
    void saveSettings(QSettings& settings) const;

    // The point view.
    void ZoomEd2Change();
    void TabSheet8Resize();
    void PaintBox2Paint(Dc& dc);
    void PaintBox2MouseDown(int x, int y);
    void Op2CheckClick();
    void Op3CheckClick();
    void AbstXEDChange();

    // The message form of the check, as printing, the preview and the record editor call it.
    bool IsFormSizeOk(bool showMessages);

    // The picture's layout inside the point view at its current size.
    ViewLayout viewLayout() const;

    QTabWidget* sheets = nullptr;
    // Easy mode.
    QDoubleSpinBox* FBreitEdin = nullptr;
    QDoubleSpinBox* FHochEdin = nullptr;
    QCheckBox* AutoSverhCheck = nullptr;
    QPushButton* EasyOvertakeBtn = nullptr;
    // Extended mode.
    QDoubleSpinBox* ZoomEd2 = nullptr;
    QRadioButton* Op2Check = nullptr;
    QRadioButton* Op3Check = nullptr;
    QDoubleSpinBox* AbstXED = nullptr;
    QDoubleSpinBox* AbstYED = nullptr;
    QDoubleSpinBox* Ax1ED = nullptr;
    QDoubleSpinBox* AY1ED = nullptr;
    QDoubleSpinBox* Ax2Ed = nullptr;
    QDoubleSpinBox* AY2Ed = nullptr;
    QScrollArea* EditScrollBox = nullptr;
    QWidget* PaintBox2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;

private:
    QWidget* buildEasyPage();
    QWidget* buildExtendedPage();
    // Copies a paper-position box into the document; the boxes are only the way values come in.
    void storePaperPositions();
    void fillDistanceBoxes();
    // With "keep the aspect" on, sets the side to from the side from through coupled.
    void coupleSides(const QDoubleSpinBox* from, QDoubleSpinBox* to,
                     double (*coupled)(double, int32_t, int32_t));

    FormHost& host_;
    bool coupling_ = false;  // stops width and height from updating each other in a loop
    bool syncingDistances_ = false;  // stops the distance boxes from writing back while filled
};

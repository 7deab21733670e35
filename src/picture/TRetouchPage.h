// The "Retouch" tab's content: the zoomable picture view with its selection, the "File" menu
// and the "Retouch" menu of picture operations.
#pragma once

#include "picture/RetouchView.h"

#include <QWidget>
#include <functional>

class FormHost;
class QAction;
class QDoubleSpinBox;
class QMenu;
class QScrollArea;
class QToolButton;
class THKForm;
class TRotateForm;
struct Dib;

class TRetouchPage : public QWidget {
    Q_OBJECT
public:
    explicit TRetouchPage(FormHost& host, QWidget* parent = nullptr);

    // What "Save as..." of the "File" menu does (the Scan tab's picture save).
    void setSavePictureAction(std::function<void()> action);
    // Repaints RetuschPaint.
    void repaintView();

    // Opens DateiPopup below the "File" button, its left edges flush.
    void DateiButtonClick();
    // Where DateiButtonClick opens the menu: the button's lower-left corner on the screen.
    QPoint fileMenuPosition() const;
    // Opens RetuschePopup the same way below the "Retouch" button.
    void RetuscheButtonClick();
    QPoint retouchMenuPosition() const;

    // The popup menu's operations.
    void HellpBtnClick();
    void RotateBtnClick();
    // Measures the picture's skew, shows it and, when the user agrees, turns it back.
    void StraightenBtnClick();
    void FlipHBtnClick();
    void FlipVBtnClick();
    void SchnittBtnClick();

    // The view: sizing, painting and the mouse, in view pixels.
    void RetZoomEDChange();
    void TabSheet5Resize();
    void RetuschPaintPaint();
    // The painting's arithmetic alone: drawn size, scales, limits, selection in view pixels.
    void layoutView();
    void RetuschPaintMouseDown(int x, int y);
    void RetuschPaintMouseMove(int x, int y);
    void R();
    void setRetcursor(PointerShape shape);
    const RetouchView& view() const { return view_; }

    QToolButton* DateiButton = nullptr;
    QMenu* DateiPopup = nullptr;
    QAction* Speichernunter1 = nullptr;
    QToolButton* RetuscheButton = nullptr;
    QMenu* RetuschePopup = nullptr;
    QAction* HelligkeitundKontrast1 = nullptr;
    QAction* N90nachlinksrotieren1 = nullptr;
    QAction* Straighten1 = nullptr;
    QAction* Horizontalspiegeln1 = nullptr;
    QAction* Vertikalspiegeln1 = nullptr;
    QAction* Randabschneiden1 = nullptr;
    QDoubleSpinBox* RetZoomED = nullptr;
    QScrollArea* RetuschScrollBox = nullptr;
    QWidget* RetuschPaint = nullptr;
    THKForm* HKForm = nullptr;
    TRotateForm* RotateForm = nullptr;

private:
    QWidget* buildMenuPanel();
    void buildRetouchMenu();
    // Each preview starts again from the untouched copy.
    void applyAdjustment(const Dib& copy, int brightness, int contrast);
    // The document's picture becomes replacement; false (nothing changed) when it has no bits.
    // The previous picture is kept for undo as the step named stepText.
    bool replacePicture(Dib replacement, const QString& stepText);
    // A turned picture replaces the form and is selected whole; a turn that failed is reported.
    void takeTurnedPicture(Dib turned, const QString& stepText);
    void repaintRetouchViews();

    FormHost& host_;
    std::function<void()> savePicture_;
    RetouchView view_;
};

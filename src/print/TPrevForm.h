// The print preview window: the page bitmap at its paper size on the screen, or one bitmap pixel
// per screen pixel with "Enlarge".
#pragma once

#include <QDialog>

class Bitmap;
class Dc;
class QCheckBox;
class QPushButton;
class QScrollArea;

class TPrevForm : public QDialog {
    Q_OBJECT
public:
    explicit TPrevForm(QWidget* parent = nullptr);

    // Shows page modally, scaled by screenScale (the screen's pixels per inch / 150) unless
    // "Enlarge" is checked. The page is only lent: the window lets go of it when it closes.
    void showPage(const Bitmap& page, double screenScale);

    void PaintBox1Paint(Dc& dc);
    void EveryPixelCheckClick();

    // The size the paint box takes for the lent page.
    QSize paintBoxSize() const;

    QScrollArea* ScrollBox1 = nullptr;
    QWidget* PaintBox1 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QCheckBox* EveryPixelCheck = nullptr;

protected:
    // The wheel over the page scrolls it, whichever way the event reached the page.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Bitmap* page_ = nullptr;
    double screenScale_ = 1;
};

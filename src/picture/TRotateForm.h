// The "Rotate picture..." dialog: direction, angle and, for 24-bit pictures, the background
// colour of a free rotation. Its radios and angle are kept between runs in the settings store.
#pragma once

#include <QColor>
#include <QDialog>

class Prompts;
class QCheckBox;
class QDoubleSpinBox;
class QFrame;
class QPushButton;
class QRadioButton;

// What the dialog's choices ask for.
enum class RotateOperation { Left, Right, Half, Free };

class TRotateForm : public QDialog {
    Q_OBJECT
public:
    explicit TRotateForm(Prompts& prompts, QWidget* parent = nullptr);

    // Before each showing: the background colour only for pictures of more than 8 bits.
    void prepareFor(int bitsPerPixel);
    RotateOperation operation() const;
    QColor backgroundColor() const { return color_; }
    void ColorBtnClick();
    void done(int result) override;

    QRadioButton* RotLeftCheck = nullptr;
    QRadioButton* RotRightCheck = nullptr;
    QRadioButton* Grad90Check = nullptr;
    QRadioButton* Grad180Check = nullptr;
    QRadioButton* Grad270Check = nullptr;
    QRadioButton* FreiGradCheck = nullptr;
    QDoubleSpinBox* GradEdit = nullptr;
    QFrame* Shape1 = nullptr;
    QPushButton* ColorBtn = nullptr;
    QCheckBox* InterpolCheck = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    void setShapeColor(const QColor& color);
    void loadSettings();

    Prompts& prompts_;
    QColor color_;
};

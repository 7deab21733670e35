// The "Brightness and contrast" dialog: two track bars whose values only "Preview" and "OK"
// apply, through the function its owner gives it.
#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class QSlider;

class THKForm : public QDialog {
    Q_OBJECT
public:
    explicit THKForm(QWidget* parent = nullptr);

    // Called with the brightness offset and the contrast factor each time values are applied.
    void setApply(std::function<void(int brightness, int contrast)> apply);

    // "Preview": applies the current values.
    void TrackBar1Change();
    void OkBitBtn1Click();
    // "Set back to default": positions only, nothing applied.
    void BacksetBitBtn3Click();

    QSlider* TrackBar1 = nullptr;
    QSlider* TrackBar2 = nullptr;
    QPushButton* VschauBitBtn4 = nullptr;
    QPushButton* BacksetBitBtn3 = nullptr;
    QPushButton* OkBitBtn1 = nullptr;
    QPushButton* CancelBitBtn2 = nullptr;

private:
    std::function<void(int, int)> apply_;
};

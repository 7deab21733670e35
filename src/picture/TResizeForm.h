// The "Change size" dialog: new width and height, kept in proportion when asked. Its two checks
// are kept between runs in the settings store.
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;

class TResizeForm : public QDialog {
    Q_OBJECT
public:
    explicit TResizeForm(QWidget* parent = nullptr);

    // The picture's size, for the proportion; the edits show it.
    void setPictureSize(int width, int height);

    void BreitEditChange();
    void HochEditChange();
    void SverhCheckClick();
    void FormActivate();
    void done(int result) override;

    QSpinBox* BreitEdit = nullptr;
    QSpinBox* HochEdit = nullptr;
    QCheckBox* SverhCheck = nullptr;
    QCheckBox* InterpolCheck = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Sets the other edit when the proportion is kept; its own change then only clears the flag.
    void follow(QSpinBox* changed, QSpinBox* other, int numerator, int denominator);

    int width_ = 1;
    int height_ = 1;
    bool following_ = false;
};

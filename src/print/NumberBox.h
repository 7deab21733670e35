// A number box of the form-size tab and the calibration dialog: a floating-point value shown with
// two decimals. What the user types outside the range is taken and clamped to it when the entry
// ends, never refused key by key.
#pragma once

#include <QDoubleSpinBox>

class NumberBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    NumberBox(double minimum, double maximum, double step, double value, QWidget* parent = nullptr);

    QValidator::State validate(QString& text, int& pos) const override;
    void fixup(QString& text) const override;

private:
    // The typed number, when the text is one; out-of-range values included.
    bool typedNumber(const QString& text, double& value) const;
};

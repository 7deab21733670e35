#include "print/NumberBox.h"

#include <algorithm>
#include <cmath>

NumberBox::NumberBox(double minimum, double maximum, double step, double value, QWidget* parent)
    : QDoubleSpinBox(parent)
{
    setDecimals(2);
    setRange(minimum, maximum);
    setSingleStep(step);
    setValue(value);
}

bool NumberBox::typedNumber(const QString& text, double& value) const
{
    bool ok = false;
    QString plain = text.trimmed();
    plain.remove(locale().groupSeparator());
    value = locale().toDouble(plain, &ok);
    return ok && std::isfinite(value);
}

QValidator::State NumberBox::validate(QString& text, int& pos) const
{
    const QValidator::State state = QDoubleSpinBox::validate(text, pos);
    double typed = 0;
    if (state == QValidator::Invalid && typedNumber(text, typed))
        return QValidator::Intermediate;
    return state;
}

void NumberBox::fixup(QString& text) const
{
    double typed = 0;
    if (typedNumber(text, typed)) {
        text = textFromValue(std::clamp(typed, minimum(), maximum()));
        return;
    }
    QDoubleSpinBox::fixup(text);
}

// "Change size and position...": a field's rectangle as whole picture pixels.
#pragma once

#include "editor/FieldCommands.h"

#include <QDialog>
#include <optional>

class QSpinBox;

class TNewPosSizeForm : public QDialog {
    Q_OBJECT
public:
    explicit TNewPosSizeForm(QWidget* parent = nullptr);

    // Shows values with "Left:" and "Width:" allowed up to maxX, "Top:" and "Height:" up to
    // maxY; the boxes' values on OK, nothing on Cancel.
    std::optional<PositionSize> ask(const PositionSize& values, int32_t maxX, int32_t maxY);

    QSpinBox* LeftEd = nullptr;
    QSpinBox* TopEd = nullptr;
    QSpinBox* WidthEd = nullptr;
    QSpinBox* HeightEd = nullptr;
};

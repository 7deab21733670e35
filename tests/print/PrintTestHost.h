// What the print page tests share: the test host and typing into a number box.
#pragma once

#include "support/TestFormHost.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QKeyEvent>

// Types text into a number box as the keyboard does, then ends the entry with Return.
inline void typeInto(QDoubleSpinBox* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
}

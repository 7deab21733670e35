// The look the tabs share: the bold headline on a peach bar.
#pragma once

#include <QColor>
#include <QString>

class QLabel;
class QWidget;

inline const QColor kHeadlinePeach{240, 202, 166};

// Fills the widget's background with the colour.
void setBackground(QWidget* widget, const QColor& colour);
// A bold headline on the peach bar; a long one wraps instead of widening the window.
QLabel* makeHeadline(const QString& text, QWidget* parent = nullptr);

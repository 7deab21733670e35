#include "platform/Headline.h"

#include <QLabel>

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* makeHeadline(const QString& text, QWidget* parent)
{
    auto* headline = new QLabel(text, parent);
    QFont font = headline->font();
    font.setBold(true);
    headline->setFont(font);
    headline->setMargin(4);
    headline->setWordWrap(true);
    headline->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setBackground(headline, kHeadlinePeach);
    return headline;
}

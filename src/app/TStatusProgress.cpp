#include "app/TStatusProgress.h"

#include <QPainter>

TStatusProgress::TStatusProgress(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(18);
}

void TStatusProgress::redrawAll(int percent)
{
    percent_ = percent;
    redrawSurface();
    repaint();
}

void TStatusProgress::extendBar(int percent)
{
    percent_ = percent;
    drawBar(lastRect_);
    repaint();
}

void TStatusProgress::drawBar(const QRect& rect)
{
    if (surface_.isNull() || rect.isEmpty())
        return;
    const int barWidth = rect.width() * percent_ / 100;
    if (barWidth <= 0)
        return;
    QPainter painter(&surface_);
    painter.fillRect(QRect(rect.left(), rect.top(), barWidth, rect.height()), barColor());
}

void TStatusProgress::redrawSurface()
{
    if (surface_.size() != size())
        surface_ = QImage(size(), QImage::Format_RGB32);
    if (surface_.isNull())
        return;
    surface_.fill(palette().color(QPalette::Window));
    lastRect_ = rect();
    drawBar(lastRect_);
}

void TStatusProgress::resizeEvent(QResizeEvent*) { redrawSurface(); }

void TStatusProgress::paintEvent(QPaintEvent*)
{
    if (surface_.size() != size())
        redrawSurface();
    QPainter painter(this);
    painter.drawImage(0, 0, surface_);
}

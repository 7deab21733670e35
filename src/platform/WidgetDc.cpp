#include "platform/WidgetDc.h"

#include <QPainter>
#include <QWidget>

WidgetDc::WidgetDc(QWidget* widget) : widget_(widget), painter_(std::make_unique<QPainter>(widget)) {}

WidgetDc::~WidgetDc()
{
    endPainter();
}

QPainter* WidgetDc::painter()
{
    return painter_ && painter_->isActive() ? painter_.get() : nullptr;
}

QPaintDevice* WidgetDc::metricsDevice() { return widget_; }
QSize WidgetDc::deviceSize() const { return widget_->size(); }

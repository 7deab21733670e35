// The device context of a paint box on screen. Apart from Dc.h so that the cores, which draw on
// printers and bitmaps only, never see Qt Widgets.
#pragma once

#include "platform/Dc.h"

#include <memory>

class QWidget;

// A paint box on screen; made inside its paintEvent.
class WidgetDc : public Dc {
public:
    explicit WidgetDc(QWidget* widget);
    ~WidgetDc() override;
    QPainter* painter() override;
    QPaintDevice* metricsDevice() override;
    QSize deviceSize() const override;

private:
    QWidget* widget_;
    std::unique_ptr<QPainter> painter_;
};

// What the print page tests share: the test host, typing into a number box and a raster printer
// in place of the system's.
#pragma once

#include "support/TestFormHost.h"

#include "platform/Printer.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QKeyEvent>

#include <memory>

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

// Installs a raster printer for one test and puts the one before back afterwards.
class RasterPrinterScope {
public:
    RasterPrinterScope(const QString& folder, int dpi)
    {
        auto printer = std::make_unique<RasterPrinter>(folder, QStringLiteral("page"), dpi, dpi);
        raster_ = printer.get();
        previous_ = setCurrentPrinter(std::move(printer));
    }
    ~RasterPrinterScope() { setCurrentPrinter(std::move(previous_)); }
    RasterPrinter& printer() { return *raster_; }

private:
    RasterPrinter* raster_;
    std::unique_ptr<Printer> previous_;
};

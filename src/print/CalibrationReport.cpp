#include "print/CalibrationReport.h"

#include "print/CalibrationSheet.h"

#include <cmath>

namespace {

QString mm(double value) { return QString::number(value, 'f', 2) + QStringLiteral(" mm"); }

QString skewText(double degrees)
{
    if (std::abs(degrees) < 0.005)
        return QStringLiteral("The sheet lies straight in the printer.");
    return QStringLiteral("The sheet lies %1° askew in the printer (%2).")
        .arg(std::abs(degrees), 0, 'f', 2)
        .arg(degrees > 0 ? QStringLiteral("clockwise") : QStringLiteral("anticlockwise"));
}

}  // namespace

QString calibrationNotes(const CalibrationMeasurement& m)
{
    QStringList notes;
    if (m.sidesDiffer)
        notes << QStringLiteral("The scales of the two sides differ: across the top %1, across the bottom %2, down the "
                                "left %3, down the right %4. The printer feeds the paper unevenly; the values above "
                                "are the averages.")
                     .arg(mm(m.sides.top), mm(m.sides.bottom), mm(m.sides.left), mm(m.sides.right));
    if (m.quarterTurns == 2)
        notes << QStringLiteral("The sheet was scanned upside down; it was measured the right way up.");
    else if (m.quarterTurns != 0)
        notes << QStringLiteral("The sheet was scanned sideways; it was measured the right way up.");
    const auto outside = [](double value, const CalibrationRange& range) {
        return value < range.minimum || value > range.maximum;
    };
    if (outside(m.values.LinksEd, kMarginRange) || outside(m.values.ObenEd, kMarginRange) ||
        outside(m.values.BreitEd, kRectangleRange) || outside(m.values.HochEd, kRectangleRange))
        notes << QStringLiteral("A measured value lies outside the range of its box and is set to the nearest value "
                                "the box holds.");
    return notes.join(QLatin1Char('\n'));
}

QString calibrationReport(const CalibrationMeasurement& m, const Calibration& current)
{
    const std::pair<const char*, std::pair<double, double>> rows[] = {
        {"Distance from left side:", {m.values.LinksEd, current.LinksEd}},
        {"Distance from top side:", {m.values.ObenEd, current.ObenEd}},
        {"Width of the rectangle:", {m.values.BreitEd, current.BreitEd}},
        {"Height of the rectangle:", {m.values.HochEd, current.HochEd}},
    };
    QString text = QStringLiteral("Measured from the scan:\n\n");
    for (const auto& [label, values] : rows)
        text += QStringLiteral("%1 %2 (now %3)\n").arg(QString::fromLatin1(label), mm(values.first), mm(values.second));
    text += QLatin1Char('\n') + skewText(m.skewDegrees) + QLatin1Char('\n');
    const QString notes = calibrationNotes(m);
    if (!notes.isEmpty())
        text += notes + QLatin1Char('\n');
    text += QStringLiteral("\nSet the measured values?");
    return text;
}

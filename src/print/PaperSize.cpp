#include "print/PaperSize.h"

#include <QSizeF>
#include <QString>
#include <QStringList>

#include <cmath>

namespace {

constexpr double kMinPaperMm = 10;
constexpr double kMaxPaperMm = 2000;

}  // namespace

std::optional<double> parseFiniteNumber(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<QPageSize> parsePaper(std::string_view text)
{
    const QString name = QString::fromUtf8(text.data(), qsizetype(text.size())).toLower();
    if (name == u"a4")
        return QPageSize(QPageSize::A4);
    if (name == u"letter")
        return QPageSize(QPageSize::Letter);
    if (!name.endsWith(u"mm"))
        return std::nullopt;
    const QStringList sides = name.chopped(2).split(u'x');
    if (sides.size() != 2)
        return std::nullopt;
    const std::optional<double> width = parseFiniteNumber(sides[0]);
    const std::optional<double> height = parseFiniteNumber(sides[1]);
    const auto fits = [](double mm) { return mm >= kMinPaperMm && mm <= kMaxPaperMm; };
    if (!width || !height || !fits(*width) || !fits(*height))
        return std::nullopt;
    return QPageSize(QSizeF(*width, *height), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

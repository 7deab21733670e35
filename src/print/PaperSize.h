// Paper sizes as the command-line tools take them.
#pragma once

#include <QPageSize>
#include <QString>

#include <optional>
#include <string_view>

// "A4", "Letter" (any case) or "WxHmm" such as "210x297mm", each side 10 to 2000 mm. Nothing
// when unknown.
std::optional<QPageSize> parsePaper(std::string_view text);
// A number as the command-line tools take one ("2.5", "1e3"); nothing unless it is finite.
std::optional<double> parseFiniteNumber(const QString& text);

// Paper sizes as the command-line tools take them.
#pragma once

#include <QPageSize>

#include <optional>
#include <string_view>

// "A4", "Letter" (any case) or "WxHmm" such as "210x297mm", each side 10 to 2000 mm. Nothing
// when unknown.
std::optional<QPageSize> parsePaper(std::string_view text);

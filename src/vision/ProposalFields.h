// Between the field finding and the form: what the form already holds goes into the search, and
// an accepted proposal becomes an ordinary field.
#pragma once

#include "document/FormDocument.h"
#include "vision/FieldDetection.h"

#include <functional>
#include <string>
#include <string_view>

// Conversions between the form's code page and UTF-8.
using AnsiToUtf8 = std::function<std::string(std::string_view ansi)>;
using Utf8ToAnsiText = std::function<std::string(std::string_view utf8)>;

// The form's fields as rectangles not to propose again and names already taken; the picture's
// pixels per millimetre from the form size when it is set. language as given.
DetectionOptions detectionOptionsFor(const FormDocument& document, const std::string& language,
                                     const AnsiToUtf8& toUtf8);

// Picture pixels per paper millimetre from the form size's two points; 0 while it is not set.
double formPixelsPerMm(const FormDocument& document);

// A field with the proposal's rectangle and name, font of the given face and style at the
// proposal's size, single line, left aligned.
FormField fieldFromProposal(const FieldProposal& proposal, const FontSpec& font, const Utf8ToAnsiText& fromUtf8);

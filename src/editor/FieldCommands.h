// The commands on the selected field that the popup menu, the name box and the list of fields
// offer, over the document alone.
#pragma once

#include "document/FormDocument.h"

#include <string>

// Removes the selected field and selects the last one left (none when the list is empty).
void deleteSelectedField(FormDocument& document);

// Adds a copy of the selected field's font and rectangle, 8 pixels right and 8 down, named
// "noname", single-line and left aligned; first keeps the name box text in the field copied.
// The copy becomes the selection. Nothing happens without a selection.
void duplicateSelectedField(FormDocument& document, const FontSpec& defaultFont, const std::string& nameBoxText);

// What the size-and-position dialog shows and gives back, in picture pixels.
struct PositionSize {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const PositionSize&) const = default;
};
PositionSize positionSizeOf(const FormField& field);
// Sets the selected field from the dialog's values and normalises it.
void applyPositionSize(FormDocument& document, const PositionSize& values);

// The "Position and size" column of the list of fields: "(40;115)-[120;20]".
std::string positionSizeText(const FormField& field);

// The name a field must have to receive the date at print time.
inline const std::string kDateFieldName = "<date>";

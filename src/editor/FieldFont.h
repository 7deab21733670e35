// A field's font as the document keeps it, as the font dialog shows it and in the settings store.
#pragma once

#include "document/FormDocument.h"
#include "platform/Dc.h"
#include "platform/Prompts.h"

class QSettings;

// The font dialog's view of a field font and back. The size travels in points; a colour left
// as the system colour it resolves to stays that system colour.
FontChoice fontChoiceFor(const FontSpec& font);
FontSpec fontSpecFrom(const FontChoice& choice, const FontSpec& before);

// The default field font in the settings store; what is missing there comes from the start font.
FontSpec loadDefaultFieldFont(QSettings& settings);
void saveDefaultFieldFont(QSettings& settings, const FontSpec& font);

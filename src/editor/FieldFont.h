// A field's font as the document keeps it, as a device context draws it and as the font dialog
// shows it.
#pragma once

#include "document/FormDocument.h"
#include "platform/Dc.h"
#include "platform/Prompts.h"

class QSettings;

// The field's font with its height replaced by heightPixels (device pixels, same sign rules).
DcFont dcFontFor(const FontSpec& font, int32_t heightPixels);

// The font dialog's view of a field font and back. The size travels in points; a colour left
// as the system colour it resolves to stays that system colour.
FontChoice fontChoiceFor(const FontSpec& font);
FontSpec fontSpecFrom(const FontChoice& choice, const FontSpec& before);

// The default field font in the settings store; what is missing there comes from the start font.
FontSpec loadDefaultFieldFont(QSettings& settings);
void saveDefaultFieldFont(QSettings& settings, const FontSpec& font);

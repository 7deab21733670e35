// The form-size check as the user meets it: the verdicts of checkFormSize become message boxes,
// and the user may accept a poor match or points that lie close together.
#pragma once

#include "document/FormDocument.h"

class Prompts;

// True when the form size may be used as it is, with nothing to ask: for painting and the
// command-line tools.
bool formSizeUsable(const FormDocument& document);

// True when the form size may be used. Without showMessages nothing is shown and every problem
// gives false.
bool IsFormSizeOk(const FormDocument& document, Prompts& prompts, bool showMessages);

// Width and height of the document's picture in pixels; 0 when it holds none.
int32_t documentPictureWidth(const FormDocument& document);
int32_t documentPictureHeight(const FormDocument& document);

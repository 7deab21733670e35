// Finding the fields printed on a form: rectangular boxes, underlines after a label, rows of
// character boxes and the cells of tables, each proposed as one field rectangle in picture
// pixels and named after its printed label.
#pragma once

#include "imgrove/Dib.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class ProposalKind { Box, Underline, Comb, Cell };

// "box", "underline", "comb", "cell".
const char* proposalKindName(ProposalKind kind);

// Inclusive picture-pixel rectangle, as the form's fields hold theirs.
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = -1;
    int32_t bottom = -1;
    int32_t width() const { return right - left + 1; }
    int32_t height() const { return bottom - top + 1; }
    bool operator==(const PixelRect&) const = default;
};

// Intersection over union; 0 for empty rectangles.
double overlapRatio(const PixelRect& a, const PixelRect& b);

struct FieldProposal {
    PixelRect rect;
    ProposalKind kind = ProposalKind::Box;
    int combCells = 0;      // the character boxes of a comb row
    std::string label;      // the label's text as read, UTF-8; empty when none was read
    std::string name;       // the proposed field name, UTF-8
    double confidence = 0;  // 0..1, how surely the marks make this field
    int fontPoints = 10;    // a font size whose characters fit the field's height
};

struct DetectionOptions {
    // Fields the form has: nothing is proposed where one already lies, and their names count
    // as taken (UTF-8).
    std::vector<PixelRect> existing;
    std::vector<std::string> takenNames;
    // Tesseract languages joined by "+" ("eng", "deu", "eng+deu"); empty reads no labels.
    std::string language = "eng";
    // Picture pixels per millimetre; 0 takes the picture's own resolution (pixelsPerMmOf).
    double pixelsPerMm = 0;
};

// Receives 0..100 while the work goes on; false stops it.
using DetectionProgress = std::function<bool(int percent)>;

struct DetectionResult {
    std::vector<FieldProposal> proposals;  // in reading order
    bool cancelled = false;
    std::string error;  // why nothing could be looked for; empty when the search ran
};

inline const char* const kPictureTooSmallMessage = "The picture is too small to find fields on it.";
inline const char* const kNotAFormMessage =
    "The picture does not look like a printed form (it is mostly dark or a photograph); no fields were looked for.";
inline const char* const kNoLanguageMessage = "The text recognition language \"%s\" is not installed.";

DetectionResult detectFields(const Dib& picture, const DetectionOptions& options,
                             const DetectionProgress& progress = {});

// A label's text as a field name: one line, spaces collapsed, the marks that end or lead a
// label taken off ("Date of birth:" gives "Date of birth"); at most 60 bytes, cut at a word.
std::string cleanLabel(const std::string& text);

// The proposals' names from their labels: a clean label, else "Field N" (N the proposal's place);
// a name already taken gets " 2", " 3", ...; a comb row's name ends in " [comb N]".
void nameProposals(std::vector<FieldProposal>& proposals, const std::vector<std::string>& takenNames);

// A point size whose characters fill about two thirds of a field this many pixels high.
int fittingFontPoints(int32_t heightPixels, double pixelsPerMm);

// The Tesseract languages installed, such as "deu" and "eng", sorted.
std::vector<std::string> installedOcrLanguages();

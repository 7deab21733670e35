#include "vision/ProposalFields.h"

#include <cmath>

double formPixelsPerMm(const FormDocument& document)
{
    const double pixels = std::abs(double(document.SecondPoint.x) - document.FirstPoint.x);
    const double mm = std::abs(document.SecondPointMm.x - document.FirstPointMm.x);
    if (pixels < 10 || mm < 1)
        return 0;
    const double perMm = pixels / mm;
    return perMm >= 2 && perMm <= 100 ? perMm : 0;
}

DetectionOptions detectionOptionsFor(const FormDocument& document, const std::string& language,
                                     const AnsiToUtf8& toUtf8)
{
    DetectionOptions options;
    options.language = language;
    options.pixelsPerMm = formPixelsPerMm(document);
    for (const FormField& field : document.fields) {
        options.existing.push_back({std::min(field.left, field.right), std::min(field.top, field.bottom),
                                    std::max(field.left, field.right), std::max(field.top, field.bottom)});
        options.takenNames.push_back(toUtf8(field.name));
    }
    return options;
}

FormField fieldFromProposal(const FieldProposal& proposal, const FontSpec& font, const Utf8ToAnsiText& fromUtf8)
{
    FormField field;
    field.left = proposal.rect.left;
    field.top = proposal.rect.top;
    field.right = proposal.rect.right;
    field.bottom = proposal.rect.bottom;
    field.font = font;
    field.font.setSize(proposal.fontPoints);
    field.name = fromUtf8(proposal.name);
    field.multiLine = 0;
    field.alignment = AlignLeft;
    return field;
}

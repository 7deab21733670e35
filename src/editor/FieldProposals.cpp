#include "editor/FieldProposals.h"

#include "imgrove/Numeric.h"
#include "platform/Dc.h"

#include <QString>

#include <utility>

namespace {

// Orange: the fields are grey and white, and a form's print is black or a pale colour.
const COLORREF kProposalColour = RGBColor(255, 110, 0);

bool holds(const PixelRect& rect, PointI point)
{
    return point.x >= rect.left && point.x <= rect.right && point.y >= rect.top && point.y <= rect.bottom;
}

int64_t areaOf(const PixelRect& rect) { return int64_t(rect.width()) * rect.height(); }

}  // namespace

void ProposalReview::begin(std::vector<FieldProposal> proposals) { proposals_ = std::move(proposals); }

int ProposalReview::at(PointI picturePoint) const
{
    int found = -1;
    for (size_t i = 0; i < proposals_.size(); ++i) {
        const PixelRect& rect = proposals_[i].rect;
        if (holds(rect, picturePoint) && (found < 0 || areaOf(rect) < areaOf(proposals_[size_t(found)].rect)))
            found = int(i);
    }
    return found;
}

void ProposalReview::accept(int index, FormDocument& document, const FontSpec& font, const Utf8ToAnsiText& fromUtf8)
{
    if (index < 0 || size_t(index) >= proposals_.size())
        return;
    document.fields.push_back(fieldFromProposal(proposals_[size_t(index)], font, fromUtf8));
    document.SelectedField = int32_t(document.fields.size());
    reject(index);
}

void ProposalReview::acceptAll(FormDocument& document, const FontSpec& font, const Utf8ToAnsiText& fromUtf8)
{
    for (const FieldProposal& proposal : proposals_)
        document.fields.push_back(fieldFromProposal(proposal, font, fromUtf8));
    if (!proposals_.empty())
        document.SelectedField = int32_t(document.fields.size());
    proposals_.clear();
}

void ProposalReview::reject(int index)
{
    if (index >= 0 && size_t(index) < proposals_.size())
        proposals_.erase(proposals_.begin() + index);
}

void paintProposals(Dc& dc, const std::vector<FieldProposal>& proposals, double scale)
{
    const DcFont oldFont = dc.SelectFont(DcFont{.height = -11, .color = kProposalColour});
    const int oldBkMode = dc.SetBkMode(TRANSPARENT);
    for (const FieldProposal& proposal : proposals) {
        // Placed as the fields are (FieldPainter), so that a taken proposal's field covers its frame.
        const DcRect r{truncToInt32(proposal.rect.left * scale), truncToInt32(proposal.rect.top * scale),
                       truncToInt32(proposal.rect.right * scale), truncToInt32(proposal.rect.bottom * scale)};
        if (r.right - r.left < 2 || r.bottom - r.top < 2)
            continue;
        dc.FillRect({r.left, r.top, r.right, r.top + 2}, kProposalColour);
        dc.FillRect({r.left, r.bottom - 2, r.right, r.bottom}, kProposalColour);
        dc.FillRect({r.left, r.top, r.left + 2, r.bottom}, kProposalColour);
        dc.FillRect({r.right - 2, r.top, r.right, r.bottom}, kProposalColour);
        dc.DrawText(QString::fromStdString(proposal.name), {r.left + 4, r.top + 2, r.right - 2, r.bottom - 2},
                    DT_NOPREFIX);
    }
    dc.SetBkMode(oldBkMode);
    dc.SelectFont(oldFont);
}

// The fields a search found on the picture while the user goes through them on the canvas: each
// proposal is taken into the form as an ordinary field or dropped; the form itself knows nothing
// of proposals.
#pragma once

#include "document/FormDocument.h"
#include "editor/FieldCanvas.h"
#include "vision/ProposalFields.h"

#include <vector>

class Dc;

class ProposalReview {
public:
    void begin(std::vector<FieldProposal> proposals);
    void end() { proposals_.clear(); }
    // Proposals are left to take or drop.
    bool active() const { return !proposals_.empty(); }
    const std::vector<FieldProposal>& proposals() const { return proposals_; }

    // The proposal under a picture pixel, the smallest where several hold it (a cell before the
    // table around it); -1 where none does.
    int at(PointI picturePoint) const;
    // Proposal index becomes the document's last field, selected.
    void accept(int index, FormDocument& document, const FontSpec& font, const Utf8ToAnsiText& fromUtf8);
    // Every proposal left becomes a field, in reading order; the last one is selected.
    void acceptAll(FormDocument& document, const FontSpec& font, const Utf8ToAnsiText& fromUtf8);
    void reject(int index);

private:
    std::vector<FieldProposal> proposals_;
};

// The proposals over the painted canvas: a two-pixel frame and the proposed name in a colour no
// field is drawn in. scale as the fields are placed (canvas pixels per picture pixel).
void paintProposals(Dc& dc, const std::vector<FieldProposal>& proposals, double scale);

// The four values of a printer calibration, mm: the printable origin's distance from the paper's
// left and top edges, and the printed size of a nominal 100 mm across and down. The calibration
// dialog shows them in its boxes of these names; a scan of the calibration sheet measures them.
#pragma once

struct Calibration {
    double LinksEd = 0;   // left margin, mm
    double ObenEd = 0;    // top margin, mm
    double BreitEd = 100; // printed width of the 100 mm test rectangle, mm
    double HochEd = 100;  // printed height, mm
    bool operator==(const Calibration&) const = default;
};

// The geometry and the mouse work of the field canvas, without widgets: the fitted picture and
// its scales, canvas <-> picture points, the grid, the edge zones of a field, the drag of a field
// from press to release, the cursor over the canvas, zoom and pan steps. The page reads events and
// controls, hands plain numbers to these functions and repaints.
#pragma once

#include "document/FormDocument.h"
#include "platform/PointerShape.h"

#include <cstdint>
#include <string>

// The picture fitted into the canvas at its top-left corner, keeping its aspect.
struct CanvasGeometry {
    int32_t fittedWidth = 0;
    int32_t fittedHeight = 0;
    double scaleX = 0;  // canvas pixels per picture pixel
    double scaleY = 0;

    // Truncated toward zero; a canvas without a picture gives (0, 0).
    PointI toPicture(int32_t canvasX, int32_t canvasY) const;
};

CanvasGeometry fitCanvas(int32_t canvasWidth, int32_t canvasHeight, int32_t pictureWidth, int32_t pictureHeight);

// (v / grid truncated toward zero) x grid; a grid below 1 counts as 1.
int32_t snapToGrid(int32_t value, int32_t grid);
PointI snapToGrid(PointI point, int32_t grid);

// Width of the zone along each edge of a field that grabs that edge, in picture pixels.
constexpr int32_t kEdgeZone = 5;

struct EdgeFlags {
    bool left = false;
    bool right = false;
    bool top = false;
    bool bottom = false;
    bool any() const { return left || right || top || bottom; }
    bool operator==(const EdgeFlags&) const = default;
};

// Which edge zones of the field hold the picture point; a narrow field may hold both sides.
EdgeFlags edgeFlagsAt(const FormField& field, PointI point);

enum class EditorTool { Fields, Zoom, Hand };

// The cursor over the canvas while no field is dragged.
PointerShape cursorFor(EditorTool tool, const FormDocument& document, PointI point);

enum class MouseButton { Left, Right, Other };

// What the page does after a press on the canvas.
struct PressOutcome {
    bool takeCapture = false;  // grab the mouse for the drag that started
    bool openPopup = false;    // open the field popup menu at popupAt (canvas pixels)
    PointI popupAt;
    bool selectionChanged = false;  // show the selected field's name in the name box
};

// The drag of a field with the field tool, from the press to the release of a button.
class FieldDrag {
public:
    struct Options {
        int32_t grid = 1;
        bool bringToTop = true;           // "Set field to the top (change the order)"
        std::string nameBoxText;          // what the "Fieldname:" box holds now
        FontSpec defaultFont;             // given to a field made by the press
        bool captureFree = true;          // no control holds the mouse capture
    };

    // point: the press in picture pixels.
    PressOutcome press(FormDocument& document, PointI point, MouseButton button, const Options& options,
                       const CanvasGeometry& geometry);
    // Returns true when a field was dragged (the canvas wants a repaint).
    bool move(FormDocument& document, PointI point, int32_t grid);
    // Ends the drag; returns true when the capture taken at the press is to be released.
    // pictureWidth and pictureHeight keep the field on the picture.
    bool release(FormDocument& document, PointI point, int32_t grid, int32_t pictureWidth, int32_t pictureHeight);

    bool buttonHeld() const { return buttonHeld_; }
    bool moving() const { return moving_; }
    EdgeFlags dragEdges() const { return edges_; }

private:
    // Moves the held field, or its dragged edges (normalised), to the snapped point.
    void dragTo(FormField& field, PointI snapped, int32_t grid);

    bool buttonHeld_ = false;
    bool captureTaken_ = false;
    bool moving_ = false;
    EdgeFlags edges_;
    PointI anchor_;
};

// Writes the name box text into the selected field, when there is one.
void commitNameBox(FormDocument& document, const std::string& nameBoxText);

// Shifts the field so that a part of it stays on the picture: its left edge at most at
// pictureWidth - 5, its top at most at pictureHeight - 5, its right edge at least at 5 and its
// bottom at least at 5. The size is kept.
void keepOnPicture(FormField& field, int32_t pictureWidth, int32_t pictureHeight);

// Moves the selected field by (dx, dy) as a release of a move does: shifted, snapped to the grid,
// kept on the picture. False when nothing is selected.
bool nudgeSelected(FormDocument& document, int32_t dx, int32_t dy, int32_t grid, int32_t pictureWidth,
                   int32_t pictureHeight);

// The zoom tool: a left click enlarges by 1.2, any other button shrinks by 1.2, within 0.1..10.
constexpr double kZoomMin = 0.1;
constexpr double kZoomMax = 10;
double zoomClick(double zoom, MouseButton button);

// The hand tool: the scroll position that keeps the canvas point under the mouse, within
// 0 .. range - 1 (0 for an empty range).
int32_t panPosition(int32_t position, int32_t anchor, int32_t mouse, int32_t range);

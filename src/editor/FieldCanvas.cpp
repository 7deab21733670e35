#include "editor/FieldCanvas.h"

#include "imgrove/Numeric.h"
#include "print/FormSize.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

int32_t gridStep(int32_t grid) { return grid < 1 ? 1 : grid; }

void shiftField(FormField& field, int32_t dx, int32_t dy)
{
    field.left += dx;
    field.right += dx;
    field.top += dy;
    field.bottom += dy;
}

void snapCorners(FormField& field, int32_t grid)
{
    field.left = snapToGrid(field.left, grid);
    field.top = snapToGrid(field.top, grid);
    field.right = snapToGrid(field.right, grid);
    field.bottom = snapToGrid(field.bottom, grid);
}

// One axis of an edge drag: low and high the field's edges on it, lowDragged and highDragged
// which of them the drag holds.
void dragAxis(int32_t to, int32_t step, int32_t& low, int32_t& high, bool& lowDragged, bool& highDragged)
{
    // An edge dragged onto its opposite one stays a grid step away, so the field keeps a size.
    if (highDragged) {
        if (std::abs(int64_t(to) - low) < step)
            to += step;
        high = to;
    } else if (lowDragged) {
        if (std::abs(int64_t(to) - high) < step)
            to -= step;
        low = to;
    }
    // Dragged past the opposite edge, the drag goes on with that edge.
    if (high < low) {
        std::swap(low, high);
        const bool wasHigh = highDragged;
        highDragged = !wasHigh;
        lowDragged = wasHigh;
    }
}

}  // namespace

PointI CanvasGeometry::toPicture(int32_t canvasX, int32_t canvasY) const
{
    if (scaleX <= 0 || scaleY <= 0)
        return {0, 0};
    return {truncToInt32(canvasX / scaleX), truncToInt32(canvasY / scaleY)};
}

CanvasGeometry fitCanvas(int32_t canvasWidth, int32_t canvasHeight, int32_t pictureWidth, int32_t pictureHeight)
{
    CanvasGeometry geometry;
    const ViewLayout fitted = pointViewLayout(canvasWidth, canvasHeight, pictureWidth, pictureHeight);
    geometry.fittedWidth = fitted.dw;
    geometry.fittedHeight = fitted.dh;
    if (pictureWidth > 0 && pictureHeight > 0) {
        geometry.scaleX = double(fitted.dw) / pictureWidth;
        geometry.scaleY = double(fitted.dh) / pictureHeight;
    }
    return geometry;
}

int32_t snapToGrid(int32_t value, int32_t grid)
{
    const int32_t step = gridStep(grid);
    return value / step * step;
}

PointI snapToGrid(PointI point, int32_t grid) { return {snapToGrid(point.x, grid), snapToGrid(point.y, grid)}; }

EdgeFlags edgeFlagsAt(const FormField& field, PointI point)
{
    return EdgeFlags{point.x < field.left + kEdgeZone, point.x > field.right - kEdgeZone,
                     point.y < field.top + kEdgeZone, point.y > field.bottom - kEdgeZone};
}

PointerShape cursorFor(EditorTool tool, const FormDocument& document, PointI point)
{
    if (tool == EditorTool::Zoom)
        return PointerShape::Magnifier;
    if (tool == EditorTool::Hand)
        return PointerShape::Grab;
    const int32_t hit = document.fieldAt(point.x, point.y);
    if (hit < 1)
        return PointerShape::Cross;
    const EdgeFlags edges = edgeFlagsAt(document.fields[size_t(hit - 1)], point);
    // The right edge wins over the left one on a field narrow enough to hold both zones.
    if (edges.right) {
        if (edges.bottom)
            return PointerShape::SizeNwse;
        return edges.top ? PointerShape::SizeNesw : PointerShape::SizeWe;
    }
    if (edges.left) {
        if (edges.bottom)
            return PointerShape::SizeNesw;
        return edges.top ? PointerShape::SizeNwse : PointerShape::SizeWe;
    }
    if (edges.bottom || edges.top)
        return PointerShape::SizeNs;
    return PointerShape::PointingHand;
}

void commitNameBox(FormDocument& document, const std::string& nameBoxText)
{
    if (FormField* field = document.selectedField())
        field->name = nameBoxText;
}

PressOutcome FieldDrag::press(FormDocument& document, PointI point, MouseButton button, const Options& options,
                              const CanvasGeometry& geometry)
{
    PressOutcome outcome;
    if (buttonHeld_)
        return outcome;
    const int32_t hit = document.fieldAt(point.x, point.y);
    const auto startDrag = [&] {
        buttonHeld_ = true;
        if (options.captureFree) {
            captureTaken_ = true;
            outcome.takeCapture = true;
        }
    };
    const auto selectHit = [&] {
        if (options.bringToTop) {
            document.bringToTop(hit);
            document.SelectedField = int32_t(document.fields.size());
        } else {
            document.SelectedField = hit;
        }
        outcome.selectionChanged = true;
    };

    if (button == MouseButton::Left && hit >= 1) {
        startDrag();
        edges_ = edgeFlagsAt(document.fields[size_t(hit - 1)], point);
        // With the field left where it lies, what was typed for the old selection is dropped.
        if (options.bringToTop)
            commitNameBox(document, options.nameBoxText);
        selectHit();
        moving_ = !edges_.any();
        if (moving_)
            anchor_ = snapToGrid(point, options.grid);
    } else if (button == MouseButton::Right && hit >= 1) {
        commitNameBox(document, options.nameBoxText);
        selectHit();
        outcome.openPopup = true;
        outcome.popupAt = {truncToInt32(point.x * geometry.scaleX), truncToInt32(point.y * geometry.scaleY)};
    } else if (button == MouseButton::Left) {
        startDrag();
        FormField& added = document.addField(options.defaultFont);
        moving_ = false;
        edges_ = EdgeFlags{false, true, false, true};
        // The new field lies behind the selection index, which still names the field left.
        commitNameBox(document, options.nameBoxText);
        document.SelectedField = int32_t(document.fields.size());
        const PointI snapped = snapToGrid(point, options.grid);
        added.left = added.right = snapped.x;
        added.top = added.bottom = snapped.y;
        outcome.selectionChanged = true;
    }
    return outcome;
}

void FieldDrag::dragTo(FormField& field, PointI snapped, int32_t grid)
{
    if (moving_) {
        shiftField(field, snapped.x - anchor_.x, snapped.y - anchor_.y);
        anchor_ = snapped;
        return;
    }
    const int32_t step = gridStep(grid);
    dragAxis(snapped.x, step, field.left, field.right, edges_.left, edges_.right);
    dragAxis(snapped.y, step, field.top, field.bottom, edges_.top, edges_.bottom);
}

bool FieldDrag::move(FormDocument& document, PointI point, int32_t grid)
{
    if (!buttonHeld_)
        return false;
    FormField* field = document.selectedField();
    if (!field)
        return false;
    dragTo(*field, snapToGrid(point, grid), grid);
    return true;
}

bool FieldDrag::release(FormDocument& document, PointI point, int32_t grid, int32_t pictureWidth,
                        int32_t pictureHeight)
{
    if (!buttonHeld_)
        return false;
    buttonHeld_ = false;
    const bool releaseCapture = std::exchange(captureTaken_, false);
    FormField* field = document.selectedField();
    if (!field)
        return releaseCapture;
    dragTo(*field, snapToGrid(point, grid), grid);
    if (moving_) {
        snapCorners(*field, grid);
    } else {
        field->right = std::max(field->right, field->left + 8);
        field->bottom = std::max(field->bottom, field->top + 6);
    }
    keepOnPicture(*field, pictureWidth, pictureHeight);
    return releaseCapture;
}

void keepOnPicture(FormField& field, int32_t pictureWidth, int32_t pictureHeight)
{
    if (field.left > pictureWidth - kEdgeZone)
        shiftField(field, pictureWidth - kEdgeZone - field.left, 0);
    if (field.top > pictureHeight - kEdgeZone)
        shiftField(field, 0, pictureHeight - kEdgeZone - field.top);
    if (field.right < kEdgeZone)
        shiftField(field, kEdgeZone - field.right, 0);
    if (field.bottom < kEdgeZone)
        shiftField(field, 0, kEdgeZone - field.bottom);
}

bool nudgeSelected(FormDocument& document, int32_t dx, int32_t dy, int32_t grid, int32_t pictureWidth,
                   int32_t pictureHeight)
{
    FormField* field = document.selectedField();
    if (!field)
        return false;
    shiftField(*field, dx, dy);
    snapCorners(*field, grid);
    keepOnPicture(*field, pictureWidth, pictureHeight);
    return true;
}

double zoomClick(double zoom, MouseButton button)
{
    const double next = button == MouseButton::Left ? zoom * 1.2 : zoom / 1.2;
    return std::clamp(next, kZoomMin, kZoomMax);
}

int32_t panPosition(int32_t position, int32_t anchor, int32_t mouse, int32_t range)
{
    const int64_t wanted = int64_t(position) + anchor - mouse;
    return int32_t(std::clamp<int64_t>(wanted, 0, std::max<int64_t>(0, int64_t(range) - 1)));
}

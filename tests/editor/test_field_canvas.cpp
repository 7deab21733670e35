#include "editor/FieldCanvas.h"
#include "editor/FieldCommands.h"

#include <gtest/gtest.h>

namespace {

struct Rect {
    int32_t left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

Rect rectOf(const FormField& field) { return {field.left, field.top, field.right, field.bottom}; }

FormField fieldAt(Rect r, std::string name = "noname")
{
    FormField field;
    field.left = r.left;
    field.top = r.top;
    field.right = r.right;
    field.bottom = r.bottom;
    field.name = std::move(name);
    return field;
}

// A canvas showing the picture at scale 1.
const CanvasGeometry kOneToOne = fitCanvas(800, 600, 800, 600);

FieldDrag::Options withGrid(int32_t grid)
{
    FieldDrag::Options options;
    options.grid = grid;
    return options;
}

}  // namespace

TEST(FieldCanvas, FitsThePictureAndConvertsCanvasPointsByTruncation)
{
    struct Row {
        int32_t canvasW, canvasH, pictureW, pictureH;
        int32_t fittedW, fittedH;
        PointI canvas, picture;
    };
    const Row rows[] = {
        {400, 300, 800, 600, 400, 300, {37, 52}, {74, 104}},
        {400, 400, 800, 600, 400, 300, {399, 299}, {798, 598}},
        {400, 200, 800, 600, 266, 200, {133, 100}, {400, 300}},
        // An A4 page at 600 dpi in a screen-sized canvas: the height limits.
        {1000, 1400, 4960, 7016, 989, 1400, {500, 701}, {2507, 3513}},
    };
    for (const Row& row : rows) {
        const CanvasGeometry g = fitCanvas(row.canvasW, row.canvasH, row.pictureW, row.pictureH);
        EXPECT_EQ(g.fittedWidth, row.fittedW) << row.canvasW << "x" << row.canvasH;
        EXPECT_EQ(g.fittedHeight, row.fittedH) << row.canvasW << "x" << row.canvasH;
        EXPECT_EQ(g.toPicture(row.canvas.x, row.canvas.y), row.picture) << row.canvasW << "x" << row.canvasH;
    }
    EXPECT_EQ(fitCanvas(0, 0, 800, 600).toPicture(10, 10), (PointI{0, 0}));
}

TEST(FieldCanvas, SnapsToTheGridByTruncation)
{
    struct Row {
        int32_t value, grid, snapped;
    };
    for (const Row& row : {Row{37, 10, 30}, Row{52, 10, 50}, Row{-7, 10, 0}, Row{-17, 10, -10}, Row{9, 1, 9},
                           Row{5, 0, 5}, Row{99, 50, 50}})
        EXPECT_EQ(snapToGrid(row.value, row.grid), row.snapped) << row.value << " grid " << row.grid;
}

TEST(FieldCanvas, CursorFollowsTheEdgeZones)
{
    FormDocument doc;
    doc.fields = {fieldAt({100, 100, 200, 150}), fieldAt({10, 10, 18, 30})};
    struct Row {
        EditorTool tool;
        PointI point;
        PointerShape cursor;
    };
    const Row rows[] = {
        {EditorTool::Fields, {198, 148}, PointerShape::SizeNwse},
        {EditorTool::Fields, {198, 101}, PointerShape::SizeNesw},
        {EditorTool::Fields, {198, 125}, PointerShape::SizeWe},
        {EditorTool::Fields, {101, 148}, PointerShape::SizeNesw},
        {EditorTool::Fields, {101, 101}, PointerShape::SizeNwse},
        {EditorTool::Fields, {101, 125}, PointerShape::SizeWe},
        {EditorTool::Fields, {150, 148}, PointerShape::SizeNs},
        {EditorTool::Fields, {150, 101}, PointerShape::SizeNs},
        {EditorTool::Fields, {150, 125}, PointerShape::PointingHand},
        {EditorTool::Fields, {50, 50}, PointerShape::Cross},
        // 8 wide, 20 high: 4 right of the left edge lies in both side zones.
        {EditorTool::Fields, {14, 20}, PointerShape::SizeWe},
        {EditorTool::Zoom, {150, 125}, PointerShape::Magnifier},
        {EditorTool::Hand, {150, 125}, PointerShape::Grab},
    };
    for (const Row& row : rows)
        EXPECT_EQ(cursorFor(row.tool, doc, row.point), row.cursor) << row.point.x << "," << row.point.y;
    EXPECT_EQ(edgeFlagsAt(doc.fields[1], {14, 20}), (EdgeFlags{true, true, false, false}));
}

TEST(FieldDrag, ClickAndDragOnEmptyCanvasCreateFields)
{
    struct Row {
        int32_t grid;
        PointI press, release;
        Rect field;
    };
    const Row rows[] = {
        {10, {37, 52}, {37, 52}, {30, 50, 40, 60}},
        {1, {37, 52}, {37, 52}, {37, 52, 45, 58}},  // at least 8 x 6
        {1, {20, 30}, {120, 90}, {20, 30, 120, 90}},
        {1, {120, 90}, {20, 30}, {20, 30, 120, 90}},  // dragged up and left
    };
    for (const Row& row : rows) {
        FormDocument doc;
        FieldDrag drag;
        const PressOutcome outcome = drag.press(doc, row.press, MouseButton::Left, withGrid(row.grid), kOneToOne);
        EXPECT_TRUE(outcome.takeCapture);
        drag.move(doc, row.release, row.grid);
        EXPECT_TRUE(drag.release(doc, row.release, row.grid, 800, 600));
        ASSERT_EQ(doc.fields.size(), 1u);
        EXPECT_EQ(rectOf(doc.fields[0]), row.field) << "grid " << row.grid;
        EXPECT_EQ(doc.SelectedField, 1);
        EXPECT_EQ(doc.fields[0].name, "noname");
    }
}

TEST(FieldDrag, MovesAndResizesTheSelectedField)
{
    // Moving on grid 10 leaves the corners on multiples of 10.
    {
        FormDocument doc;
        doc.fields = {fieldAt({30, 50, 40, 60})};
        FieldDrag drag;
        drag.press(doc, {35, 55}, MouseButton::Left, withGrid(10), kOneToOne);
        EXPECT_TRUE(drag.moving());
        drag.move(doc, {57, 83}, 10);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{50, 80, 60, 90}));
        drag.release(doc, {68, 94}, 10, 800, 600);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{60, 90, 70, 100}));
    }
    // Both side zones of a narrow field: the right edge moves.
    {
        FormDocument doc;
        doc.fields = {fieldAt({10, 10, 18, 30})};
        FieldDrag drag;
        drag.press(doc, {14, 20}, MouseButton::Left, withGrid(1), kOneToOne);
        drag.move(doc, {40, 20}, 1);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{10, 10, 40, 30}));
    }
    // The right edge dragged past the left one goes on as the left edge.
    {
        FormDocument doc;
        doc.fields = {fieldAt({100, 100, 200, 150})};
        FieldDrag drag;
        drag.press(doc, {198, 125}, MouseButton::Left, withGrid(1), kOneToOne);
        drag.move(doc, {50, 125}, 1);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{50, 100, 100, 150}));
        EXPECT_EQ(drag.dragEdges(), (EdgeFlags{true, false, false, false}));
        drag.move(doc, {70, 125}, 1);
        drag.release(doc, {70, 125}, 1, 800, 600);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{70, 100, 100, 150}));
    }
    // Likewise the bottom edge dragged above the top one goes on as the top edge.
    {
        FormDocument doc;
        doc.fields = {fieldAt({100, 100, 200, 150})};
        FieldDrag drag;
        drag.press(doc, {150, 148}, MouseButton::Left, withGrid(1), kOneToOne);
        drag.move(doc, {150, 60}, 1);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{100, 60, 200, 100}));
        EXPECT_EQ(drag.dragEdges(), (EdgeFlags{false, false, true, false}));
        drag.move(doc, {150, 80}, 1);
        drag.release(doc, {150, 80}, 1, 800, 600);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{100, 80, 200, 100}));
    }
    // Released with its left edge beyond the picture's right edge: 5 pixels stay on it.
    {
        FormDocument doc;
        doc.fields = {fieldAt({100, 100, 200, 150})};
        FieldDrag drag;
        drag.press(doc, {150, 125}, MouseButton::Left, withGrid(1), kOneToOne);
        drag.release(doc, {1000, 125}, 1, 800, 600);
        EXPECT_EQ(rectOf(doc.fields[0]), (Rect{795, 100, 895, 150}));
    }
}

TEST(FieldDrag, KeepsAPartOfTheFieldOnThePicture)
{
    struct Row {
        Rect before, after;
    };
    const Row rows[] = {
        {{900, 10, 950, 20}, {795, 10, 845, 20}},
        {{10, 700, 50, 720}, {10, 595, 50, 615}},
        {{-100, 10, -50, 20}, {-45, 10, 5, 20}},
        {{10, -40, 50, -30}, {10, -5, 50, 5}},
        {{100, 100, 200, 150}, {100, 100, 200, 150}},
    };
    for (const Row& row : rows) {
        FormField field = fieldAt(row.before);
        keepOnPicture(field, 800, 600);
        EXPECT_EQ(rectOf(field), row.after) << row.before.left << "," << row.before.top;
    }
}

TEST(FieldDrag, PressSelectsTheTopmostFieldAndCommitsTheNameBox)
{
    struct Row {
        bool bringToTop;
        std::vector<std::string> order;
        int32_t selected;
        std::string nameOfC;
    };
    // A and B overlap at (75, 75); C is selected and the name box holds "typed".
    for (const Row& row : {Row{true, {"A", "C", "B"}, 3, "typed"}, Row{false, {"A", "B", "C"}, 2, "C"}}) {
        FormDocument doc;
        doc.fields = {fieldAt({0, 0, 100, 100}, "A"), fieldAt({50, 50, 150, 150}, "B"), fieldAt({300, 300, 400, 400}, "C")};
        doc.SelectedField = 3;
        FieldDrag::Options options;
        options.bringToTop = row.bringToTop;
        options.nameBoxText = "typed";
        FieldDrag drag;
        EXPECT_TRUE(drag.press(doc, {75, 75}, MouseButton::Left, options, kOneToOne).selectionChanged);
        std::vector<std::string> order;
        for (const FormField& field : doc.fields)
            order.push_back(field.name == "typed" ? "C" : field.name);
        EXPECT_EQ(order, row.order);
        EXPECT_EQ(doc.SelectedField, row.selected);
        EXPECT_EQ(doc.fields[size_t(doc.fieldAt(350, 350) - 1)].name, row.nameOfC);
        EXPECT_EQ(doc.selectedField()->name, "B");
    }
}

TEST(FieldDrag, RightPressOpensThePopupAndOtherPressesWait)
{
    FormDocument doc;
    doc.fields = {fieldAt({100, 100, 200, 150}, "A"), fieldAt({300, 300, 400, 400}, "B")};
    doc.SelectedField = 2;
    FieldDrag::Options options;
    options.bringToTop = false;
    options.nameBoxText = "typed";
    FieldDrag drag;
    const CanvasGeometry half = fitCanvas(400, 300, 800, 600);
    const PressOutcome outcome = drag.press(doc, {151, 125}, MouseButton::Right, options, half);
    EXPECT_TRUE(outcome.openPopup);
    EXPECT_FALSE(outcome.takeCapture);
    EXPECT_EQ(outcome.popupAt, (PointI{75, 62}));
    EXPECT_EQ(doc.SelectedField, 1);
    EXPECT_EQ(doc.fields[1].name, "typed");  // kept although the order stays
    EXPECT_FALSE(drag.buttonHeld());

    // A press on empty canvas keeps the typed name in the field it leaves; a second press while
    // that drag lasts changes nothing.
    options.nameBoxText = "first";
    drag.press(doc, {600, 500}, MouseButton::Left, options, half);
    EXPECT_EQ(doc.fields[0].name, "first");
    EXPECT_EQ(doc.SelectedField, 3);
    EXPECT_FALSE(drag.press(doc, {150, 125}, MouseButton::Left, options, half).selectionChanged);
    EXPECT_EQ(doc.fields.size(), 3u);
    EXPECT_EQ(doc.SelectedField, 3);
    // Other buttons and a right press beside every field do nothing.
    FieldDrag idle;
    const PressOutcome none = idle.press(doc, {700, 20}, MouseButton::Right, options, half);
    EXPECT_FALSE(none.openPopup || none.selectionChanged || idle.buttonHeld());
    EXPECT_FALSE(idle.press(doc, {150, 125}, MouseButton::Other, options, half).selectionChanged);
}

TEST(FieldCanvas, ZoomAndPanStayWithinTheirLimits)
{
    struct ZoomRow {
        double zoom;
        MouseButton button;
        double result;
    };
    for (const ZoomRow& row : {ZoomRow{1, MouseButton::Left, 1.2}, ZoomRow{10, MouseButton::Left, 10},
                               ZoomRow{9, MouseButton::Left, 10}, ZoomRow{0.1, MouseButton::Right, 0.1},
                               ZoomRow{1.2, MouseButton::Right, 1}, ZoomRow{1.2, MouseButton::Other, 1}})
        EXPECT_DOUBLE_EQ(zoomClick(row.zoom, row.button), row.result) << row.zoom;

    struct PanRow {
        int32_t position, anchor, mouse, range, result;
    };
    for (const PanRow& row : {PanRow{10, 50, 80, 100, 0}, PanRow{90, 80, 50, 100, 99}, PanRow{40, 60, 50, 100, 50},
                              PanRow{0, 60, 10, 0, 0}})
        EXPECT_EQ(panPosition(row.position, row.anchor, row.mouse, row.range), row.result) << row.position;
}

TEST(FieldCommands, DeleteDuplicateAndSizeTheSelectedField)
{
    FormDocument doc;
    doc.fields = {fieldAt({0, 0, 10, 10}, "A"), fieldAt({20, 20, 30, 30}, "B"), fieldAt({40, 40, 50, 50}, "C")};
    doc.SelectedField = 2;
    deleteSelectedField(doc);
    EXPECT_EQ(doc.fields.size(), 2u);
    EXPECT_EQ(doc.SelectedField, 2);
    EXPECT_EQ(doc.selectedField()->name, "C");

    FormField& source = doc.fields[1];
    source.multiLine = 1;
    source.alignment = AlignCentered;
    source.font.faceName = "Courier New";
    source.font.setSize(14);
    FontSpec defaultFont;
    duplicateSelectedField(doc, defaultFont, "kept");
    ASSERT_EQ(doc.fields.size(), 3u);
    const FormField& copy = doc.fields[2];
    EXPECT_EQ(rectOf(copy), (Rect{48, 48, 58, 58}));
    EXPECT_EQ(copy.font, doc.fields[1].font);
    EXPECT_EQ(copy.name, "noname");
    EXPECT_EQ(copy.multiLine, 0);
    EXPECT_EQ(copy.alignment, AlignLeft);
    EXPECT_EQ(doc.fields[1].name, "kept");
    EXPECT_EQ(doc.SelectedField, 3);

    EXPECT_EQ(positionSizeOf(copy), (PositionSize{48, 48, 10, 10}));
    applyPositionSize(doc, {5, 6, 0, 0});
    EXPECT_EQ(rectOf(doc.fields[2]), (Rect{5, 6, 5, 6}));

    doc.fields.resize(1);
    doc.SelectedField = 1;
    deleteSelectedField(doc);
    EXPECT_TRUE(doc.fields.empty());
    EXPECT_EQ(doc.selectedField(), nullptr);
    deleteSelectedField(doc);  // nothing left to delete
    EXPECT_EQ(doc.SelectedField, 0);
}

TEST(FieldCommands, NudgeAndListText)
{
    FormDocument doc;
    doc.fields = {fieldAt({30, 50, 40, 60})};
    EXPECT_FALSE(nudgeSelected(doc, 10, 0, 10, 800, 600));
    doc.SelectedField = 1;
    EXPECT_TRUE(nudgeSelected(doc, 10, 0, 10, 800, 600));
    EXPECT_EQ(rectOf(doc.fields[0]), (Rect{40, 50, 50, 60}));
    EXPECT_TRUE(nudgeSelected(doc, -100, 0, 10, 800, 600));
    EXPECT_EQ(rectOf(doc.fields[0]), (Rect{-5, 50, 5, 60}));

    EXPECT_EQ(positionSizeText(fieldAt({40, 115, 160, 135})), "(40;115)-[120;20]");
    EXPECT_EQ(positionSizeText(fieldAt({0, 0, 0, 0})), "(0;0)-[0;0]");
}

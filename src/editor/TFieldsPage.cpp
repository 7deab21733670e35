#include "editor/TFieldsPage.h"

#include "editor/FieldCommands.h"
#include "editor/FieldFont.h"
#include "editor/FieldPainter.h"
#include "editor/TFieldCanvasBox.h"
#include "editor/TNewNameForm.h"
#include "editor/TNewPosSizeForm.h"
#include "editor/TObjListForm.h"
#include "editor/TOcrLanguageBox.h"
#include "host/FormHost.h"
#include "platform/CodePage.h"
#include "platform/Controls.h"
#include "platform/Dc.h"
#include "platform/Screen.h"
#include "platform/WidgetDc.h"
#include "print/FormSize.h"
#include "print/FormSizePrompts.h"
#include "print/NumberBox.h"
#include "vision/FieldDetection.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

const QString kFindFieldsCaption = QStringLiteral("Find fields");

}  // namespace

TFieldsPage::TFieldsPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    ScrollBox = new QScrollArea(this);
    ScrollBox->setObjectName("ScrollBox");
    ScrollBox->setWidgetResizable(false);
    const COLORREF workspace = ResolveColor(kSysColorFlag | COLOR_APPWORKSPACE);
    QPalette palette = ScrollBox->palette();
    palette.setColor(QPalette::Window, QColor(GetRValue(workspace), GetGValue(workspace), GetBValue(workspace)));
    ScrollBox->setPalette(palette);
    ScrollBox->setBackgroundRole(QPalette::Window);
    PaintBox1 = new TFieldCanvasBox({.paintOn = [this](Dc& dc) { PaintBox1Paint(dc); },
                                     .mouseDown = [this](Qt::MouseButton button, int x, int y) {
                                         PaintBox1MouseDown(mouseButtonOf(button), x, y);
                                     },
                                     .mouseMove = [this](int x, int y) { PaintBox1MouseMove(x, y); },
                                     .mouseUp = [this](int x, int y) { PaintBox1MouseUp(x, y); },
                                     .keyDown = [this](int key, bool shift) { return PaintBox1KeyDown(key, shift); },
                                     .holdsKeys = [this] { return mouseHeld(); }},
                                    palette, ScrollBox);
    PaintBox1->setObjectName("PaintBox1");
    ScrollBox->setWidget(PaintBox1);
    whenViewportResized(ScrollBox, [this] { TabSheetResize(); });

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(buildToolBar());
    row->addWidget(ScrollBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(buildTopBar());
    layout->addWidget(buildFieldSearchBar());
    layout->addLayout(row, 1);

    buildPopupMenu();
    NewNameForm = new TNewNameForm(this);
    NewPosSizeForm = new TNewPosSizeForm(this);
    ObjListForm = new TObjListForm(this);
    ObjListForm->onRowPopup = [this](int field, QPoint globalPos) {
        FormDocument& doc = host_.document();
        UndoStep step(host_.history(), PartFields, QStringLiteral("Bring field to top"));
        doc.bringToTop(field);
        doc.SelectedField = int32_t(doc.fields.size());
        showSelectedName();
        repaintCanvas();
        listPopupAt_ = globalPos;
    };
    showSelectedName();
}

QWidget* TFieldsPage::buildTopBar()
{
    auto* bar = new QWidget(this);
    NameEd = new QLineEdit(bar);
    NameEd->setObjectName("NameEd");
    NameEd->setMinimumWidth(80);
    BringUpCheck = new QCheckBox(QStringLiteral("Set field to the top (change the order)"), bar);
    BringUpCheck->setObjectName("BringUpCheck");
    BringUpCheck->setChecked(true);
    GitterED = new QSpinBox(bar);
    GitterED->setObjectName("GitterED");
    GitterED->setRange(1, 50);
    GitterED->setValue(1);
    GitterED->setToolTip(QStringLiteral("You can place the form field only onto the grid lines."));
    ZoomEd = new NumberBox(kZoomMin, kZoomMax, 0.1, 1.0, bar);
    ZoomEd->setObjectName("ZoomEd");
    ZoomEd->setToolTip(QStringLiteral("Zoom"));
    DateFieldBtn = new QPushButton(QStringLiteral("Use as date field"), bar);
    DateFieldBtn->setObjectName("DateFieldBtn");
    ListederObjekte1 = new QPushButton(QStringLiteral("List of fields"), bar);
    ListederObjekte1->setObjectName("ListederObjekte1");
    StdFontBtn = new QPushButton(QStringLiteral("Set default font..."), bar);
    StdFontBtn->setObjectName("StdFontBtn");

    // Two short rows, so that the tab fits the main window at its start size.
    auto* first = new QHBoxLayout;
    first->addWidget(new QLabel(QStringLiteral("Fieldname:"), bar));
    first->addWidget(NameEd, 1);
    first->addWidget(DateFieldBtn);
    first->addWidget(ListederObjekte1);
    first->addWidget(StdFontBtn);
    auto* second = new QHBoxLayout;
    second->addWidget(BringUpCheck);
    second->addStretch();
    second->addWidget(new QLabel(QStringLiteral("Grid line width"), bar));
    second->addWidget(GitterED);
    second->addWidget(new QLabel(QStringLiteral("Zoom:"), bar));
    second->addWidget(ZoomEd);
    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addLayout(first);
    layout->addLayout(second);

    connect(NameEd, &QLineEdit::returnPressed, this, &TFieldsPage::NameEdKeyPress);
    connect(GitterED, &QSpinBox::valueChanged, this, &TFieldsPage::ZoomEdChange);
    connect(ZoomEd, &QDoubleSpinBox::valueChanged, this, &TFieldsPage::ZoomEdChange);
    connect(DateFieldBtn, &QPushButton::clicked, this, &TFieldsPage::DateFieldBtnClick);
    connect(ListederObjekte1, &QPushButton::clicked, this, &TFieldsPage::ListederObjekte1Click);
    connect(StdFontBtn, &QPushButton::clicked, this, &TFieldsPage::StdFontBtnClick);
    return bar;
}

QWidget* TFieldsPage::buildFieldSearchBar()
{
    FieldSearchBar = new QWidget(this);
    FieldSearchBar->setObjectName("FieldSearchBar");
    FindFieldsBtn = new QPushButton(QStringLiteral("Find fields..."), FieldSearchBar);
    FindFieldsBtn->setObjectName("FindFieldsBtn");
    FindFieldsBtn->setToolTip(QStringLiteral("Finds the boxes and lines printed on the form and proposes them as fields"));
    OcrLanguageBox = new TOcrLanguageBox(FieldSearchBar);
    OcrLanguageBox->setObjectName("OcrLanguageBox");
    OcrLanguageBox->setToolTip(QStringLiteral("The language of the labels printed on the form: the fields found are named after them"));
    ProposalText = new QLabel(FieldSearchBar);
    ProposalText->setObjectName("ProposalText");
    // The hint never widens the window: what does not fit is cut off.
    ProposalText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    AcceptAllBtn = new QPushButton(QStringLiteral("Accept all"), FieldSearchBar);
    AcceptAllBtn->setObjectName("AcceptAllBtn");
    DoneBtn = new QPushButton(QStringLiteral("Done"), FieldSearchBar);
    DoneBtn->setObjectName("DoneBtn");
    auto* layout = new QHBoxLayout(FieldSearchBar);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->addWidget(FindFieldsBtn);
    layout->addWidget(OcrLanguageBox);
    layout->addWidget(ProposalText, 1);
    layout->addWidget(AcceptAllBtn);
    layout->addWidget(DoneBtn);
    layout->addStretch(0);
    connect(AcceptAllBtn, &QPushButton::clicked, this, &TFieldsPage::AcceptAllBtnClick);
    connect(DoneBtn, &QPushButton::clicked, this, &TFieldsPage::DoneBtnClick);
    connect(FindFieldsBtn, &QPushButton::clicked, this, &TFieldsPage::FindFieldsBtnClick);
    showProposals();
    return FieldSearchBar;
}

QWidget* TFieldsPage::buildToolBar()
{
    auto* bar = new QWidget(this);
    FieldBtn = toolButton({.text = QStringLiteral("Fields"), .name = "FieldBtn", .checkable = true, .minimumWidth = 56}, bar);
    LupeBtn = toolButton({.text = QStringLiteral("Zoom"), .name = "LupeBtn", .checkable = true, .minimumWidth = 56}, bar);
    HandBtn = toolButton({.text = QStringLiteral("Hand"), .name = "HandBtn", .checkable = true, .minimumWidth = 56}, bar);
    FieldBtn->setChecked(true);
    auto* group = new QButtonGroup(bar);
    group->setExclusive(true);
    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(2, 2, 2, 2);
    for (QToolButton* button : {FieldBtn, LupeBtn, HandBtn}) {
        group->addButton(button);
        layout->addWidget(button);
    }
    layout->addStretch();
    return bar;
}

void TFieldsPage::buildPopupMenu()
{
    FieldPopUp = new QMenu(this);
    FieldPopUp->setObjectName("FieldPopUp");
    FieldPopUp->setToolTipsVisible(true);
    lschen1 = menuItem(FieldPopUp, "lschen1", QStringLiteral("Delete"), QStringLiteral("Remove the field"), this,
                       &TFieldsPage::lschen1Click);
    Duplizieren1 = menuItem(FieldPopUp, "Duplizieren1", QStringLiteral("Duplicate"),
                            QStringLiteral("Duplicates the objects properties"), this, &TFieldsPage::Duplizieren1Click);
    FieldPopUp->addSeparator();
    Greandern1 = menuItem(FieldPopUp, "Greandern1", QStringLiteral("Size and position..."), {}, this,
                          &TFieldsPage::Greandern1Click);
    Schriftart1 = menuItem(FieldPopUp, "Schriftart1", QStringLiteral("Font..."),
                           QStringLiteral("Chose the font and font size"), this, &TFieldsPage::Schriftart1Click);
    Umbenennen1 = menuItem(FieldPopUp, "Umbenennen1", QStringLiteral("Rename..."), QStringLiteral("Rename the field"),
                           this, &TFieldsPage::Umbenennen1Click);
    FieldPopUp->addSeparator();
    Linksbndig1 = menuItem(FieldPopUp, "Linksbndig1", QStringLiteral("Left aligned"), {}, this,
                           [this] { setAlignment(AlignLeft); });
    Zentriert1 = menuItem(FieldPopUp, "Zentriert1", QStringLiteral("Center"), {}, this,
                          [this] { setAlignment(AlignCentered); });
    Rechtsbndig1 = menuItem(FieldPopUp, "Rechtsbndig1", QStringLiteral("Right aligned"), {}, this,
                            [this] { setAlignment(AlignRight); });
    FieldPopUp->addSeparator();
    Mehrzeilig1 = menuItem(FieldPopUp, "Mehrzeilig1", QStringLiteral("Multi lined"), {}, this,
                           &TFieldsPage::Mehrzeilig1Click);
    for (QAction* item : {Linksbndig1, Zentriert1, Rechtsbndig1, Mehrzeilig1})
        item->setCheckable(true);
}

void TFieldsPage::repaintView() { PaintBox1->update(); }

void TFieldsPage::pictureChanged()
{
    review_.end();
    showProposals();
    repaintView();
}

void TFieldsPage::repaintCanvas() { PaintBox1->repaint(); }

// The window system gives the focus back to whatever it chooses when a dialog closes (the zoom box
// would take the arrows); the field just changed is the one the keys go on with.
void TFieldsPage::focusCanvas() { PaintBox1->setFocus(Qt::OtherFocusReason); }

void TFieldsPage::documentChanged()
{
    showSelectedName();
    repaintView();
}

void TFieldsPage::loadSettings(QSettings& settings)
{
    defaultFont_ = loadDefaultFieldFont(settings);
    OcrLanguageBox->choose(settings.value(QStringLiteral("FieldSearch/Language")).toString());
}

void TFieldsPage::saveSettings(QSettings& settings) const
{
    saveDefaultFieldFont(settings, defaultFont_);
    if (OcrLanguageBox->count() > 0)
        settings.setValue(QStringLiteral("FieldSearch/Language"), OcrLanguageBox->currentData());
}

void TFieldsPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (window()->isActiveWindow())
        PaintBox1->setFocus(Qt::OtherFocusReason);
}

EditorTool TFieldsPage::tool() const
{
    if (LupeBtn->isChecked())
        return EditorTool::Zoom;
    return HandBtn->isChecked() ? EditorTool::Hand : EditorTool::Fields;
}

CanvasGeometry TFieldsPage::geometry() const
{
    const FormDocument& doc = host_.document();
    return fitCanvas(PaintBox1->width(), PaintBox1->height(), documentPictureWidth(doc), documentPictureHeight(doc));
}

int32_t TFieldsPage::grid() const { return GitterED->value(); }

std::string TFieldsPage::nameBoxText() const { return qStringToAnsi(NameEd->text()); }

void TFieldsPage::showSelectedName()
{
    FormField* field = host_.document().selectedField();
    NameEd->setEnabled(field != nullptr);
    if (field)
        NameEd->setText(ansiToQString(field->name));
}

void TFieldsPage::ZoomEdChange()
{
    TabSheetResize();
    repaintView();
}

void TFieldsPage::TabSheetResize()
{
    sizeToZoom(PaintBox1, ScrollBox, ZoomEd->value());
}

void TFieldsPage::PaintBox1Paint(Dc& dc)
{
    const FormDocument& doc = host_.document();
    const CanvasGeometry fitted = geometry();
    const double fontScale = canvasFontScale(doc, host_.printerMmPerInchX(), fitted.scaleX);
    paintFieldCanvas(dc, doc, fitted, fontScale, ScreenPixelsPerInch());
    paintProposals(dc, review_.proposals(), fitted.scaleX);
}

void TFieldsPage::PaintBox1MouseDown(MouseButton button, int x, int y)
{
    if (tool() == EditorTool::Hand) {
        panning_ = true;
        panAnchor_ = {x, y};
        return;
    }
    if (tool() == EditorTool::Zoom) {
        ZoomEd->setValue(zoomClick(ZoomEd->value(), button));
        return;
    }
    FormDocument& doc = host_.document();
    const CanvasGeometry fitted = geometry();
    if (!drag_.buttonHeld() && pressOnProposal(button, fitted.toPicture(x, y)))
        return;
    host_.setFieldsChanged();
    FieldDrag::Options options;
    options.grid = grid();
    options.bringToTop = BringUpCheck->isChecked();
    options.nameBoxText = nameBoxText();
    options.defaultFont = defaultFont_;
    options.captureFree = QWidget::mouseGrabber() == nullptr;
    if (!drag_.buttonHeld())
        beforePress_ = host_.history().capture(PartFields);
    const PressOutcome outcome = drag_.press(doc, fitted.toPicture(x, y), button, options, fitted);
    // A right press selects and opens the menu: no drag follows to end the step.
    if (!drag_.buttonHeld())
        recordPress();
    if (outcome.takeCapture)
        PaintBox1->grabMouse();
    if (outcome.selectionChanged) {
        showSelectedName();
        repaintCanvas();
    }
    if (outcome.openPopup)
        openFieldPopup(PaintBox1->mapToGlobal(QPoint(outcome.popupAt.x, outcome.popupAt.y)));
}

void TFieldsPage::PaintBox1MouseMove(int x, int y)
{
    if (panning_) {
        QScrollBar* horizontal = ScrollBox->horizontalScrollBar();
        QScrollBar* vertical = ScrollBox->verticalScrollBar();
        // The bars' positions end a page short of their range; they hold what lies beyond.
        horizontal->setValue(panPosition(horizontal->value(), panAnchor_.x, x, horizontal->maximum() + horizontal->pageStep()));
        vertical->setValue(panPosition(vertical->value(), panAnchor_.y, y, vertical->maximum() + vertical->pageStep()));
    }
    FormDocument& doc = host_.document();
    const PointI point = geometry().toPicture(x, y);
    if (!drag_.buttonHeld()) {
        const bool onProposal = tool() == EditorTool::Fields && review_.at(point) >= 0;
        PaintBox1->showCursor(onProposal ? PointerShape::PointingHand : cursorFor(tool(), doc, point));
        return;
    }
    if (drag_.move(doc, point, grid()))
        repaintCanvas();
}

void TFieldsPage::PaintBox1MouseUp(int x, int y)
{
    if (panning_) {
        panning_ = false;
        return;
    }
    if (!drag_.buttonHeld())
        return;
    FormDocument& doc = host_.document();
    if (drag_.release(doc, geometry().toPicture(x, y), grid(), documentPictureWidth(doc), documentPictureHeight(doc)))
        PaintBox1->releaseMouse();
    recordPress();
    repaintCanvas();
}

void TFieldsPage::recordPress()
{
    if (!beforePress_)
        return;
    FormState before = std::move(*beforePress_);
    beforePress_.reset();
    const QString text = fieldChangeText(*before.fields, host_.document().fields);
    host_.history().record(std::move(before), text);
}

bool TFieldsPage::PaintBox1KeyDown(int key, bool shift)
{
    // A field being dragged belongs to the mouse until the button is released: a key that deleted
    // or moved it would leave the rest of the drag to another field.
    if (mouseHeld())
        return true;
    if (key == Qt::Key_Escape && review_.active()) {
        DoneBtnClick();
        return true;
    }
    if (key == Qt::Key_Delete) {
        if (host_.document().selectedField()) {
            host_.setFieldsChanged();
            lschen1Click();
        }
        return true;
    }
    const int32_t step = grid() * (shift ? 10 : 1);
    int32_t dx = 0;
    int32_t dy = 0;
    switch (key) {
    case Qt::Key_Left: dx = -step; break;
    case Qt::Key_Right: dx = step; break;
    case Qt::Key_Up: dy = -step; break;
    case Qt::Key_Down: dy = step; break;
    default: return false;
    }
    FormDocument& doc = host_.document();
    UndoStep nudge(host_.history(), PartFields, QStringLiteral("Move field"));
    // Without a selection the keys scroll the canvas, as they do in any scroll box.
    if (!nudgeSelected(doc, dx, dy, grid(), documentPictureWidth(doc), documentPictureHeight(doc)))
        return false;
    host_.setFieldsChanged();
    repaintCanvas();
    return true;
}

void TFieldsPage::openFieldPopup(QPoint globalPos)
{
    const FormField* field = host_.document().selectedField();
    if (!field)
        return;
    Linksbndig1->setChecked(field->alignment == AlignLeft);
    Zentriert1->setChecked(field->alignment == AlignCentered);
    Rechtsbndig1->setChecked(field->alignment == AlignRight);
    Mehrzeilig1->setChecked(field->multiLine != 0);
    FieldPopUp->popup(globalPos);
}

void TFieldsPage::lschen1Click()
{
    UndoStep step(host_.history(), PartFields, QStringLiteral("Delete field"));
    deleteSelectedField(host_.document());
    showSelectedName();
    repaintCanvas();
}

void TFieldsPage::Duplizieren1Click()
{
    UndoStep step(host_.history(), PartFields, QStringLiteral("Duplicate field"));
    duplicateSelectedField(host_.document(), defaultFont_, nameBoxText());
    showSelectedName();
    repaintCanvas();
}

void TFieldsPage::Greandern1Click()
{
    FormDocument& doc = host_.document();
    const FormField* field = doc.selectedField();
    if (!field)
        return;
    const std::optional<PositionSize> chosen = NewPosSizeForm->ask(
        positionSizeOf(*field), documentPictureWidth(doc) - 1, documentPictureHeight(doc) - 1);
    focusCanvas();
    if (!chosen)
        return;
    UndoStep step(host_.history(), PartFields, QStringLiteral("Size and position"));
    applyPositionSize(doc, *chosen);
    repaintCanvas();
}

void TFieldsPage::Schriftart1Click()
{
    FormField* field = host_.document().selectedField();
    if (!field)
        return;
    const std::optional<FontChoice> chosen = host_.prompts().fontDialog(fontChoiceFor(field->font));
    if (!chosen)
        return;
    UndoStep step(host_.history(), PartFields, QStringLiteral("Font"));
    // The dialog was modal; the selection it was opened for is still the one to change.
    if (FormField* still = host_.document().selectedField())
        still->font = fontSpecFrom(*chosen, still->font);
    repaintCanvas();
}

void TFieldsPage::Umbenennen1Click()
{
    FormField* field = host_.document().selectedField();
    if (!field)
        return;
    const std::optional<QString> name = NewNameForm->ask(ansiToQString(field->name));
    focusCanvas();
    if (!name)
        return;
    UndoStep step(host_.history(), PartFields, QStringLiteral("Rename field"));
    if (FormField* still = host_.document().selectedField())
        still->name = qStringToAnsi(*name);
    showSelectedName();
    repaintCanvas();
}

void TFieldsPage::setAlignment(int32_t alignment)
{
    UndoStep step(host_.history(), PartFields, QStringLiteral("Alignment"));
    if (FormField* field = host_.document().selectedField())
        field->alignment = alignment;
    repaintCanvas();
}

void TFieldsPage::Mehrzeilig1Click()
{
    UndoStep step(host_.history(), PartFields, QStringLiteral("Multi lined"));
    if (FormField* field = host_.document().selectedField())
        field->multiLine = field->multiLine == 0 ? 1 : 0;
    repaintCanvas();
}

void TFieldsPage::NameEdKeyPress()
{
    FormDocument& doc = host_.document();
    if (!doc.selectedField())
        return;
    UndoStep step(host_.history(), PartFields, QStringLiteral("Rename field"));
    commitNameBox(doc, nameBoxText());
    repaintCanvas();
}

void TFieldsPage::DateFieldBtnClick()
{
    NameEd->setText(ansiToQString(kDateFieldName));
    NameEdKeyPress();
}

void TFieldsPage::ListederObjekte1Click()
{
    host_.setFieldsChanged();
    const FormDocument& doc = host_.document();
    if (doc.fields.empty()) {
        host_.prompts().message(QStringLiteral("You have to define some form fields!"), QStringLiteral("Error..."),
                                MsgIcon::None, MsgButtons::Ok);
        return;
    }
    ObjListForm->fill(doc);
    listPopupAt_.reset();
    ObjListForm->exec();
    focusCanvas();
    // The menu opens once the list has closed, so the command it runs has the tab to itself.
    if (listPopupAt_)
        openFieldPopup(*listPopupAt_);
}

void TFieldsPage::StdFontBtnClick()
{
    if (const std::optional<FontChoice> chosen = host_.prompts().fontDialog(fontChoiceFor(defaultFont_)))
        defaultFont_ = fontSpecFrom(*chosen, defaultFont_);
}

void TFieldsPage::FindFieldsBtnClick()
{
    FormDocument& doc = host_.document();
    const DetectionOptions options = detectionOptionsFor(doc, OcrLanguageBox->language(), ansiToUtf8);
    QProgressDialog progress(QStringLiteral("Finding the fields on the picture..."), QStringLiteral("Cancel"), 0, 100, this);
    progress.setObjectName("FindFieldsProgress");
    progress.setWindowTitle(kFindFieldsCaption);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    DetectionResult result = detectFields(doc.picture.get(), options, [&progress](int percent) {
        progress.setValue(percent);
        return !progress.wasCanceled();
    });
    progress.close();
    focusCanvas();
    if (result.cancelled)
        return;
    if (!result.error.empty()) {
        showError(host_.prompts(), QString::fromStdString(result.error), kFindFieldsCaption);
        return;
    }
    if (result.proposals.empty()) {
        host_.prompts().message(QStringLiteral("No fields were found on the picture."), kFindFieldsCaption,
                                MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    review_.begin(std::move(result.proposals));
    showProposals();
    repaintCanvas();
}

bool TFieldsPage::pressOnProposal(MouseButton button, PointI picturePoint)
{
    const int index = review_.at(picturePoint);
    if (index < 0 || button == MouseButton::Other)
        return false;
    if (button == MouseButton::Left) {
        host_.setFieldsChanged();
        UndoStep step(host_.history(), PartFields, QStringLiteral("Accept found field"));
        review_.accept(index, host_.document(), defaultFont_, utf8ToAnsi);
    } else {
        review_.reject(index);
    }
    showSelectedName();
    showProposals();
    repaintCanvas();
    return true;
}

void TFieldsPage::AcceptAllBtnClick()
{
    if (!review_.active())
        return;
    host_.setFieldsChanged();
    {
        UndoStep step(host_.history(), PartFields, QStringLiteral("Accept found fields"));
        review_.acceptAll(host_.document(), defaultFont_, utf8ToAnsi);
    }
    showSelectedName();
    showProposals();
    repaintCanvas();
    focusCanvas();
}

void TFieldsPage::DoneBtnClick()
{
    review_.end();
    showProposals();
    repaintCanvas();
    focusCanvas();
}

void TFieldsPage::showProposals()
{
    const size_t left = review_.proposals().size();
    for (QWidget* part : std::initializer_list<QWidget*>{ProposalText, AcceptAllBtn, DoneBtn})
        part->setVisible(left > 0);
    ProposalText->setText(QStringLiteral("Found fields left: %1. Click one to take it, right-click to drop it.").arg(left));
    // A narrow window cuts the hint off; the whole of it shows on hovering.
    ProposalText->setToolTip(ProposalText->text());
}

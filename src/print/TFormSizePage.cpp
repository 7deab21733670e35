#include "print/TFormSizePage.h"

#include "host/FormHost.h"
#include "picture/DrawDib.h"
#include "platform/Controls.h"
#include "platform/Dc.h"
#include "platform/Headline.h"
#include "platform/WidgetDc.h"
#include "print/FormSizePrompts.h"
#include "print/NumberBox.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

QDoubleSpinBox* numberBox(double minimum, double maximum, double step, double value, QWidget* parent)
{
    return new NumberBox(minimum, maximum, step, value, parent);
}

const char* const kGuide =
    "How to set the form size with two points:\n"
    "\n"
    "1. Choose \"Choose first point\" and click on a point of the form that you can find on the paper, "
    "for example a corner of a printed frame, near the top left.\n"
    "2. Measure on the paper form how far this point lies from the left edge and from the top edge "
    "of the sheet and enter both distances in millimetres.\n"
    "3. Choose \"Chosse seond point\" and do the same with a second point far from the first, near "
    "the bottom right.\n"
    "\n"
    "The farther apart the two points are, the more exactly the fields are printed. Use the zoom to "
    "hit the points exactly. If the picture shows exactly the whole sheet, the easy mode is quicker.";

// A sheet of the tab: its layout, with the sheet's headline on top.
QVBoxLayout* sheetLayout(QWidget* page, const QString& headline)
{
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(makeHeadline(headline, page));
    return layout;
}

}  // namespace

TFormSizePage::TFormSizePage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    sheets = new QTabWidget(this);
    sheets->addTab(buildEasyPage(), QStringLiteral("Easy mode"));
    sheets->addTab(buildExtendedPage(), QStringLiteral("Extented mode"));
    layout->addWidget(sheets);
}

QWidget* TFormSizePage::buildEasyPage()
{
    auto* page = new QWidget;
    auto* layout = sheetLayout(page, QStringLiteral("Set form size - enter width and height of the form and click on \"OVERTAKE\""));

    auto* row = new QHBoxLayout;
    auto* grid = new QGridLayout;
    FBreitEdin = numberBox(0, 9999, 0.1, 6.0, page);
    FHochEdin = numberBox(0, 9999, 0.1, 8.0, page);
    grid->addWidget(new QLabel(QStringLiteral("Width:"), page), 0, 0);
    grid->addWidget(FBreitEdin, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("inch"), page), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("Height:"), page), 1, 0);
    grid->addWidget(FHochEdin, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("inch"), page), 1, 2);
    AutoSverhCheck = new QCheckBox(QStringLiteral("Maintain aspect ratio"), page);
    AutoSverhCheck->setChecked(true);
    grid->addWidget(AutoSverhCheck, 2, 0, 1, 3);
    EasyOvertakeBtn = new QPushButton(QStringLiteral("Use this size now!"), page);
    grid->addWidget(EasyOvertakeBtn, 3, 0, 1, 3);
    row->addLayout(grid);

    auto* note = new QLabel(QStringLiteral("Easy mode: enter the width and height of the form only. Scan the form "
                                           "exactly. Not more and not less than the form."),
                            page);
    note->setWordWrap(true);
    note->setMaximumWidth(260);
    row->addWidget(note, 0, Qt::AlignTop);
    row->addStretch();
    layout->addLayout(row);
    layout->addStretch();

    connect(FBreitEdin, &QDoubleSpinBox::valueChanged, this, [this] { FBreitEdinChange(); });
    connect(FHochEdin, &QDoubleSpinBox::valueChanged, this, [this] { FHochEdinChange(); });
    connect(AutoSverhCheck, &QCheckBox::clicked, this, [this] { AutoSverhCheckClick(); });
    connect(EasyOvertakeBtn, &QPushButton::clicked, this, [this] { EasyOvertakeBtnClick(); });
    return page;
}

QWidget* TFormSizePage::buildExtendedPage()
{
    const FormDocument& doc = host_.document();
    auto* page = new QWidget;
    auto* layout = sheetLayout(page, QStringLiteral("Set form size - you have to set the two points now - read the description"));

    auto* top = new QHBoxLayout;
    auto* controls = new QGridLayout;
    ZoomEd2 = numberBox(0.1, 10, 0.1, 1.0, page);
    ZoomEd2->setToolTip(QStringLiteral("Zoom"));
    controls->addWidget(new QLabel(QStringLiteral("Zoom:"), page), 0, 0);
    controls->addWidget(ZoomEd2, 0, 1);

    auto* mode = new QGroupBox(QStringLiteral("Mode"), page);
    auto* modeLayout = new QVBoxLayout(mode);
    Op2Check = radioButton(QStringLiteral("Choose first point"), nullptr, mode, modeLayout);
    Op3Check = radioButton(QStringLiteral("Chosse seond point"), nullptr, mode, modeLayout);
    Op2Check->setChecked(true);
    controls->addWidget(mode, 1, 0, 1, 2);

    AbstXED = numberBox(0, kDistanceBoxMax, 1, 210, page);
    AbstYED = numberBox(0, kDistanceBoxMax, 1, 297, page);
    controls->addWidget(new QLabel(QStringLiteral("Distance from left side in mm:"), page), 2, 0);
    controls->addWidget(AbstXED, 2, 1);
    controls->addWidget(new QLabel(QStringLiteral("Distance from top side in mm:"), page), 3, 0);
    controls->addWidget(AbstYED, 3, 1);
    top->addLayout(controls);

    Memo1 = new QPlainTextEdit(page);
    Memo1->setReadOnly(true);
    Memo1->setToolTip(QStringLiteral("Read the description first!"));
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::ToolTipBase));
    memoPalette.setColor(QPalette::Text, memoPalette.color(QPalette::ToolTipText));
    Memo1->setPalette(memoPalette);
    Memo1->setPlainText(QString::fromLatin1(kGuide));
    Memo1->setMaximumHeight(170);
    top->addWidget(Memo1, 1);
    layout->addLayout(top);

    // The store of the two paper positions; the user edits them through the distance boxes.
    auto* store = new QWidget(page);
    auto* storeLayout = new QHBoxLayout(store);
    auto* first = new QGroupBox(QStringLiteral("First point"), store);
    auto* second = new QGroupBox(QStringLiteral("Second point"), store);
    Ax1ED = numberBox(0, kDistanceBoxMax, 1, doc.FirstPointMm.x, first);
    AY1ED = numberBox(0, kDistanceBoxMax, 1, doc.FirstPointMm.y, first);
    Ax2Ed = numberBox(0, kDistanceBoxMax, 1, doc.SecondPointMm.x, second);
    AY2Ed = numberBox(0, kDistanceBoxMax, 1, doc.SecondPointMm.y, second);
    auto* firstForm = new QFormLayout(first);
    firstForm->addRow(QStringLiteral("Distance from left side:"), Ax1ED);
    firstForm->addRow(QStringLiteral("Distance from top side:"), AY1ED);
    auto* secondForm = new QFormLayout(second);
    secondForm->addRow(QStringLiteral("Distance from left side:"), Ax2Ed);
    secondForm->addRow(QStringLiteral("Distance from top side:"), AY2Ed);
    storeLayout->addWidget(first);
    storeLayout->addWidget(second);
    store->hide();

    EditScrollBox = new QScrollArea(page);
    EditScrollBox->setWidgetResizable(false);
    PaintBox2 = new PaintBox({.paintOn = [this](Dc& dc) { PaintBox2Paint(dc); },
                              .mouseDown = [this](Qt::MouseButton, int x, int y) { PaintBox2MouseDown(x, y); }},
                             EditScrollBox);
    PaintBox2->setAttribute(Qt::WA_OpaquePaintEvent);
    PaintBox2->setCursor(Qt::CrossCursor);
    EditScrollBox->setWidget(PaintBox2);
    whenViewportResized(EditScrollBox, [this] { TabSheet8Resize(); });
    layout->addWidget(EditScrollBox, 1);

    connect(Ax1ED, &QDoubleSpinBox::valueChanged, this, [this](double v) { host_.document().FirstPointMm.x = v; });
    connect(AY1ED, &QDoubleSpinBox::valueChanged, this, [this](double v) { host_.document().FirstPointMm.y = v; });
    connect(Ax2Ed, &QDoubleSpinBox::valueChanged, this, [this](double v) { host_.document().SecondPointMm.x = v; });
    connect(AY2Ed, &QDoubleSpinBox::valueChanged, this, [this](double v) { host_.document().SecondPointMm.y = v; });
    storePaperPositions();

    connect(ZoomEd2, &QDoubleSpinBox::valueChanged, this, [this] { ZoomEd2Change(); });
    connect(Op2Check, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Op2CheckClick();
    });
    connect(Op3Check, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Op3CheckClick();
    });
    connect(AbstXED, &QDoubleSpinBox::valueChanged, this, [this] { AbstXEDChange(); });
    connect(AbstYED, &QDoubleSpinBox::valueChanged, this, [this] { AbstXEDChange(); });
    return page;
}

void TFormSizePage::storePaperPositions()
{
    FormDocument& doc = host_.document();
    doc.FirstPointMm = {Ax1ED->value(), AY1ED->value()};
    doc.SecondPointMm = {Ax2Ed->value(), AY2Ed->value()};
}

void TFormSizePage::coupleSides(const QDoubleSpinBox* from, QDoubleSpinBox* to,
                                double (*coupled)(double, int32_t, int32_t))
{
    if (!AutoSverhCheck->isChecked() || coupling_)
        return;
    const Dib& picture = host_.document().picture.get();
    coupling_ = true;
    to->setValue(coupled(from->value(), DibWidth(picture), DibHeight(picture)));
    coupling_ = false;
}

void TFormSizePage::FBreitEdinChange() { coupleSides(FBreitEdin, FHochEdin, coupledHeight); }

void TFormSizePage::FHochEdinChange() { coupleSides(FHochEdin, FBreitEdin, coupledWidth); }

void TFormSizePage::AutoSverhCheckClick() { FBreitEdinChange(); }

void TFormSizePage::EasyOvertakeBtnClick()
{
    FormDocument& doc = host_.document();
    UndoStep step(host_.history(), PartFormSize, QStringLiteral("Form size"));
    const EasyFormSize easy =
        easyFormSize(FBreitEdin->value(), FHochEdin->value(), DibWidth(doc.picture.get()), DibHeight(doc.picture.get()));
    Ax1ED->setValue(easy.FirstPointMm.x);
    AY1ED->setValue(easy.FirstPointMm.y);
    Ax2Ed->setValue(easy.SecondPointMm.x);
    AY2Ed->setValue(easy.SecondPointMm.y);
    storePaperPositions();
    doc.FirstPoint = easy.FirstPoint;
    doc.SecondPoint = easy.SecondPoint;
    PaintBox2->update();
    host_.formSizeChanged();
    host_.showTab(3);
}

void TFormSizePage::documentChanged()
{
    FormDocument& doc = host_.document();
    // The document holds what the boxes show, as velmora-print holds it, even where a box's
    // value does not change and so emits nothing.
    holdPaperPositions(doc);
    const PointD first = doc.FirstPointMm;
    const PointD second = doc.SecondPointMm;
    Ax1ED->setValue(first.x);
    AY1ED->setValue(first.y);
    Ax2Ed->setValue(second.x);
    AY2Ed->setValue(second.y);
    fillDistanceBoxes();
    repaintView();
}

void TFormSizePage::showRestoredFormSize()
{
    documentChanged();
    // A size the easy mode made shows in its boxes again, as typed; neither box re-derives the
    // other on the way in.
    if (const std::optional<EasySizeInch> easy = easySizeOf(host_.document())) {
        coupling_ = true;
        FBreitEdin->setValue(easy->width);
        FHochEdin->setValue(easy->height);
        coupling_ = false;
    }
}

void TFormSizePage::fillDistanceBoxes()
{
    const FormDocument& doc = host_.document();
    const PointD chosen = Op2Check->isChecked() ? doc.FirstPointMm : doc.SecondPointMm;
    syncingDistances_ = true;
    AbstXED->setValue(chosen.x);
    AbstYED->setValue(chosen.y);
    syncingDistances_ = false;
}

void TFormSizePage::repaintView() { PaintBox2->update(); }

void TFormSizePage::loadSettings(QSettings& settings)
{
    // Restored as stored: neither box may re-derive the other on the way in.
    coupling_ = true;
    AutoSverhCheck->setChecked(settings.value(QStringLiteral("AutoSverhCheck"), true).toBool());
    FBreitEdin->setValue(settings.value(QStringLiteral("FBreitEdin"), 6.0).toDouble());
    FHochEdin->setValue(settings.value(QStringLiteral("FHochEdin"), 8.0).toDouble());
    coupling_ = false;
}

void TFormSizePage::saveSettings(QSettings& settings) const
{
    settings.setValue(QStringLiteral("FBreitEdin"), FBreitEdin->value());
    settings.setValue(QStringLiteral("FHochEdin"), FHochEdin->value());
    settings.setValue(QStringLiteral("AutoSverhCheck"), AutoSverhCheck->isChecked());
}

void TFormSizePage::ZoomEd2Change()
{
    TabSheet8Resize();
    PaintBox2->update();
}

void TFormSizePage::TabSheet8Resize()
{
    sizeToZoom(PaintBox2, EditScrollBox, ZoomEd2->value());
}

ViewLayout TFormSizePage::viewLayout() const
{
    const Dib& picture = host_.document().picture.get();
    return pointViewLayout(PaintBox2->width(), PaintBox2->height(), DibWidth(picture), DibHeight(picture));
}

void TFormSizePage::PaintBox2Paint(Dc& dc)
{
    const FormDocument& doc = host_.document();
    const Dib& picture = doc.picture.get();
    const int32_t width = DibWidth(picture);
    const int32_t height = DibHeight(picture);
    const int32_t boxWidth = PaintBox2->width();
    const int32_t boxHeight = PaintBox2->height();
    const ViewLayout layout = viewLayout();

    if (picture.bits && layout.dw > 0 && layout.dh > 0)
        DrawDib(dc, 0, 0, layout.dw, layout.dh, picture, 0, 0, width, height, true, SRCCOPY, false);

    // The background goes down before the marker: a point chosen beside the picture must still
    // show its marker.
    const COLORREF workspace = ResolveColor(kSysColorFlag | COLOR_APPWORKSPACE);
    const DcPen oldPen = dc.SelectPen({PS_SOLID, 1, workspace});
    const DcBrush oldBrush = dc.SelectBrush({BS_SOLID, workspace});
    if (layout.dw < boxWidth)
        dc.Rectangle(layout.dw, 0, boxWidth, boxHeight);
    if (layout.dh < boxHeight)
        dc.Rectangle(0, layout.dh, layout.dw, boxHeight);

    if (Op2Check->isChecked() || Op3Check->isChecked()) {
        const PointI chosen = Op2Check->isChecked() ? doc.FirstPoint : doc.SecondPoint;
        const PointI at = pictureToView(chosen, layout, width, height);
        const int32_t x = at.x;
        const int32_t y = at.y;
        dc.SetROP2(R2_COPYPEN);
        dc.SetBkMode(OPAQUE);
        dc.SetBkColor(RGBColor(0, 0, 0));
        dc.SelectPen({PS_DOT, 1, RGBColor(255, 255, 255)});
        dc.MoveToEx(x - 16, y - 16);
        dc.LineTo(x + 16, y - 16);
        dc.LineTo(x + 16, y + 16);
        dc.LineTo(x - 16, y + 16);
        dc.LineTo(x - 16, y - 16);
        dc.SelectPen({PS_SOLID, 1, RGBColor(255, 255, 255)});
        dc.SetROP2(R2_XORPEN);
        dc.MoveToEx(x - 16, y - 16);
        dc.LineTo(x + 16, y + 16);
        dc.MoveToEx(x + 16, y - 16);
        dc.LineTo(x - 16, y + 16);
        dc.SetROP2(R2_COPYPEN);
    }
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

void TFormSizePage::PaintBox2MouseDown(int x, int y)
{
    if (!Op2Check->isChecked() && !Op3Check->isChecked())
        return;
    const Dib& picture = host_.document().picture.get();
    const PointI point = viewClickToPicture(x, y, viewLayout(), DibWidth(picture), DibHeight(picture));
    UndoStep step(host_.history(), PartFormSize,
                  Op2Check->isChecked() ? QStringLiteral("First point") : QStringLiteral("Second point"));
    if (Op2Check->isChecked())
        host_.document().FirstPoint = point;
    else
        host_.document().SecondPoint = point;
    PaintBox2->repaint();
    host_.formSizeChanged();
}

void TFormSizePage::Op2CheckClick()
{
    fillDistanceBoxes();
    PaintBox2->repaint();
}

void TFormSizePage::Op3CheckClick()
{
    fillDistanceBoxes();
    PaintBox2->repaint();
}

void TFormSizePage::AbstXEDChange()
{
    if (syncingDistances_)
        return;
    // Typing on in the distance boxes of one point stays one step.
    const bool first = Op2Check->isChecked();
    UndoStep step(host_.history(), PartFormSize, QStringLiteral("Paper position"),
                  first ? QStringLiteral("first paper position") : QStringLiteral("second paper position"));
    if (first) {
        Ax1ED->setValue(AbstXED->value());
        AY1ED->setValue(AbstYED->value());
    } else {
        Ax2Ed->setValue(AbstXED->value());
        AY2Ed->setValue(AbstYED->value());
    }
    host_.formSizeChanged();
}

bool TFormSizePage::IsFormSizeOk(bool showMessages)
{
    return ::IsFormSizeOk(host_.document(), host_.prompts(), showMessages);
}

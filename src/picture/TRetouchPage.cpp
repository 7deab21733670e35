#include "picture/TRetouchPage.h"

#include "host/FormHost.h"
#include "imageops/Crop.h"
#include "imageops/ImageAdjust.h"
#include "imageops/RotateDib.h"
#include "imgrove/Palette.h"
#include "picture/DrawDib.h"
#include "picture/THKForm.h"
#include "picture/TRotateForm.h"
#include "platform/Controls.h"
#include "platform/Dc.h"
#include "platform/ProgramPictures.h"
#include "platform/WidgetDc.h"
#include "vision/Deskew.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

TRetouchPage::TRetouchPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    HKForm = new THKForm(this);
    RotateForm = new TRotateForm(host_.prompts(), this);

    RetuschScrollBox = new QScrollArea(this);
    RetuschScrollBox->setObjectName("RetuschScrollBox");
    RetuschScrollBox->setWidgetResizable(false);
    QPalette palette = RetuschScrollBox->viewport()->palette();
    const COLORREF workspace = ResolveColor(kSysColorFlag | COLOR_APPWORKSPACE);
    palette.setColor(QPalette::Window, QColor(GetRValue(workspace), GetGValue(workspace), GetBValue(workspace)));
    RetuschScrollBox->viewport()->setPalette(palette);
    RetuschScrollBox->viewport()->setAutoFillBackground(true);
    RetuschPaint = new PaintBox({.paint = [this] { RetuschPaintPaint(); },
                                 .mouseDown = [this](Qt::MouseButton, int x, int y) { RetuschPaintMouseDown(x, y); },
                                 .mouseMove = [this](int x, int y) { RetuschPaintMouseMove(x, y); },
                                 .mouseUp = [this](int, int) { R(); }},
                                RetuschScrollBox);
    RetuschPaint->setObjectName("RetuschPaint");
    RetuschScrollBox->setWidget(RetuschPaint);
    whenViewportResized(RetuschScrollBox, [this] { TabSheet5Resize(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildMenuPanel());
    layout->addWidget(RetuschScrollBox, 1);
}

QWidget* TRetouchPage::buildMenuPanel()
{
    auto* MenuPanel = new QWidget(this);
    MenuPanel->setObjectName("MenuPanel");
    DateiButton = toolButton({.text = QStringLiteral("File"), .name = "DateiButton", .hint = QStringLiteral("File menu")}, MenuPanel);
    connect(DateiButton, &QToolButton::clicked, this, &TRetouchPage::DateiButtonClick);
    DateiPopup = new QMenu(this);
    DateiPopup->setObjectName("DateiPopup");
    DateiPopup->setToolTipsVisible(true);
    Speichernunter1 = menuItem(DateiPopup, "Speichernunter1", QStringLiteral("Save as..."),
                               QStringLiteral("Save picture"), this, [this] {
                                   if (savePicture_)
                                       savePicture_();
                               });

    RetuscheButton = toolButton({.text = QStringLiteral("Retouch"), .name = "RetuscheButton", .hint = QStringLiteral("Retouch picture")}, MenuPanel);
    connect(RetuscheButton, &QToolButton::clicked, this, &TRetouchPage::RetuscheButtonClick);
    buildRetouchMenu();

    RetZoomED = new QDoubleSpinBox(MenuPanel);
    RetZoomED->setObjectName("RetZoomED");
    RetZoomED->setToolTip(QStringLiteral("Zoom"));
    RetZoomED->setRange(0.1, 10);
    RetZoomED->setSingleStep(0.1);
    RetZoomED->setDecimals(2);
    RetZoomED->setValue(1);
    connect(RetZoomED, &QDoubleSpinBox::valueChanged, this, &TRetouchPage::RetZoomEDChange);

    auto* bar = new QHBoxLayout(MenuPanel);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(DateiButton);
    bar->addWidget(RetuscheButton);
    bar->addStretch(1);
    bar->addWidget(new QLabel(QStringLiteral("Zoom:"), MenuPanel));
    bar->addWidget(RetZoomED);
    return MenuPanel;
}

void TRetouchPage::buildRetouchMenu()
{
    RetuschePopup = new QMenu(this);
    RetuschePopup->setObjectName("RetuschePopup");
    RetuschePopup->setToolTipsVisible(true);
    HelligkeitundKontrast1 = menuItem(RetuschePopup, "HelligkeitundKontrast1", QStringLiteral("Brightness and contrast..."),
                                      QStringLiteral("Change the brightness and contrast"), this,
                                      &TRetouchPage::HellpBtnClick);
    RetuschePopup->addSeparator();
    N90nachlinksrotieren1 = menuItem(RetuschePopup, "N90nachlinksrotieren1", QStringLiteral("Rotate..."),
                                     QStringLiteral("Rotate the picture 90 degrees to the left"), this,
                                     &TRetouchPage::RotateBtnClick);
    Straighten1 = menuItem(RetuschePopup, "Straighten1", QStringLiteral("Straighten"),
                           QStringLiteral("Measure how far the scan lies askew and turn it straight"), this,
                           &TRetouchPage::StraightenBtnClick);
    RetuschePopup->addSeparator();
    Horizontalspiegeln1 = menuItem(RetuschePopup, "Horizontalspiegeln1", QStringLiteral("Mirror"),
                                   QStringLiteral("Mirror"), this, &TRetouchPage::FlipHBtnClick);
    Vertikalspiegeln1 = menuItem(RetuschePopup, "Vertikalspiegeln1", QStringLiteral("Flip"),
                                 QStringLiteral("Mirror vertical"), this, &TRetouchPage::FlipVBtnClick);
    RetuschePopup->addSeparator();
    Randabschneiden1 = menuItem(RetuschePopup, "Randabschneiden1", QStringLiteral("Crop to selection"),
                                QStringLiteral("Crop to selection"), this, &TRetouchPage::SchnittBtnClick);
}

void TRetouchPage::setSavePictureAction(std::function<void()> action) { savePicture_ = std::move(action); }

void TRetouchPage::repaintView() { RetuschPaint->update(); }

void TRetouchPage::repaintRetouchViews()
{
    host_.pictureChanged(PictureChange::Pixels);
    repaintView();
}

QPoint TRetouchPage::fileMenuPosition() const { return DateiButton->mapToGlobal(QPoint(0, DateiButton->height())); }

void TRetouchPage::DateiButtonClick() { DateiPopup->popup(fileMenuPosition()); }

QPoint TRetouchPage::retouchMenuPosition() const
{
    return RetuscheButton->mapToGlobal(QPoint(0, RetuscheButton->height()));
}

void TRetouchPage::RetuscheButtonClick() { RetuschePopup->popup(retouchMenuPosition()); }

bool TRetouchPage::replacePicture(Dib replacement, const QString& stepText)
{
    if (!replacement.bits)
        return false;
    host_.history().replacePicture(replacement, stepText);
    return true;
}

void TRetouchPage::takeTurnedPicture(Dib turned, const QString& stepText)
{
    if (replacePicture(turned, stepText)) {
        const Dib& picture = host_.document().picture.get();
        host_.selection() = SelectionRect{0, 0, DibWidth(picture), DibHeight(picture)};
    } else {
        showError(host_.prompts(), QStringLiteral("An error occured."));
    }
    repaintRetouchViews();
}

void TRetouchPage::applyAdjustment(const Dib& copy, int brightness, int contrast)
{
    Dib& picture = host_.document().picture.get();
    const DibProgress progress = progressTo(host_);
    restoreFromCopy(picture, copy);
    Helligkeit(picture, brightness, progress);
    Kontrast(picture, contrast, progress);
    repaintRetouchViews();
}

void TRetouchPage::HellpBtnClick()
{
    HKForm->TrackBar1->setValue(0);
    HKForm->TrackBar2->setValue(100);
    DibOwner copy(copyPicture(host_.document().picture.get()));
    if (!copy) {
        showError(host_.prompts(), QStringLiteral("Can not create the bitmap."));
        return;
    }
    HKForm->setApply([this, &copy](int brightness, int contrast) { applyAdjustment(copy.get(), brightness, contrast); });
    const bool kept = HKForm->exec() == QDialog::Accepted;
    HKForm->setApply({});
    if (kept)
        host_.history().recordPicture(std::move(copy), QStringLiteral("Brightness and contrast"));
    else
        host_.document().picture.reset(copy.release());
    repaintRetouchViews();
}

void TRetouchPage::RotateBtnClick()
{
    const Dib& picture = host_.document().picture.get();
    const int bits = DibBitCount(picture);
    RotateForm->prepareFor(bits);
    if (RotateForm->exec() != QDialog::Accepted)
        return;
    const DibProgress progress = progressTo(host_);
    Dib rotated;
    switch (RotateForm->operation()) {
    case RotateOperation::Left:
        rotated = RotLeft(picture, progress);
        break;
    case RotateOperation::Right:
        rotated = RotRight(picture, progress);
        break;
    case RotateOperation::Half:
        rotated = Rot180(picture, progress);
        break;
    case RotateOperation::Free: {
        const QColor color = RotateForm->backgroundColor();
        const uint32_t background = bits <= 8 ? 0 : PaletteRgb(uint8_t(color.red()), uint8_t(color.green()), uint8_t(color.blue()));
        rotated = DibRotxxx(picture, RotateForm->RotRightCheck->isChecked(), RotateForm->GradEdit->value(), background,
                            progress);
        break;
    }
    }
    takeTurnedPicture(rotated, QStringLiteral("Rotate"));
}

void TRetouchPage::StraightenBtnClick()
{
    const SkewMeasurement skew = measureSkew(host_.document().picture.get());
    if (!skew.degrees) {
        host_.prompts().message(QString::fromStdString(skew.error), QStringLiteral("Straighten"), MsgIcon::Information,
                                MsgButtons::Ok);
        return;
    }
    const QString question = QStringLiteral("The picture lies %1 degrees askew (%2). Straighten it?")
                                 .arg(std::abs(*skew.degrees), 0, 'f', 2)
                                 .arg(*skew.degrees >= 0 ? QStringLiteral("clockwise") : QStringLiteral("counter-clockwise"));
    if (host_.prompts().message(question, QStringLiteral("Straighten"), MsgIcon::Question, MsgButtons::YesNo) !=
        MsgAnswer::Yes)
        return;
    takeTurnedPicture(straightenedDib(host_.document().picture.get(), *skew.degrees, progressTo(host_)),
                      QStringLiteral("Straighten"));
}

void TRetouchPage::FlipHBtnClick()
{
    if (replacePicture(mirrorDib(host_.document().picture.get(), progressTo(host_)),
                       QStringLiteral("Mirror")))
        repaintRetouchViews();
}

void TRetouchPage::FlipVBtnClick()
{
    if (replacePicture(flipDib(host_.document().picture.get(), progressTo(host_)),
                       QStringLiteral("Flip")))
        repaintRetouchViews();
}

void TRetouchPage::SchnittBtnClick()
{
    if (isEmptySelection(host_.selection())) {
        showError(host_.prompts(), QStringLiteral("Select an rectangle area first!"), QStringLiteral("Error"));
        return;
    }
    DibOwner cropped(cropDib(host_.document().picture.get(), host_.selection(),
                             progressTo(host_)));
    if (cropped) {
        host_.takeInNewPicture(cropped.release(), TakeIn::WithoutViewsAndTab, QStringLiteral("Crop"));
        repaintRetouchViews();
    }
    host_.SetProStatus(0);
}

void TRetouchPage::RetZoomEDChange()
{
    TabSheet5Resize();
    repaintView();
}

void TRetouchPage::TabSheet5Resize()
{
    sizeToZoom(RetuschPaint, RetuschScrollBox, RetZoomED->value());
}

void TRetouchPage::layoutView()
{
    const Dib& picture = host_.document().picture.get();
    view_.layout(RetuschPaint->width(), RetuschPaint->height(), DibWidth(picture), DibHeight(picture), host_.selection());
}

void TRetouchPage::RetuschPaintPaint()
{
    layoutView();
    const Dib& picture = host_.document().picture.get();
    WidgetDc dc(RetuschPaint);
    if (picture.bits && view_.drawnWidth() > 0 && view_.drawnHeight() > 0)
        DrawDib(dc, 0, 0, view_.drawnWidth(), view_.drawnHeight(), picture, 0, 0, DibWidth(picture),
                DibHeight(picture), true, SRCCOPY, false);
    const ViewRect& r = view_.viewRect();
    const DcPen oldPen = dc.SelectPen({PS_DOT, 1, RGBColor(0, 0, 0)});
    const int oldRop = dc.SetROP2(R2_COPYPEN);
    const int oldMode = dc.SetBkMode(OPAQUE);
    const COLORREF oldBk = dc.SetBkColor(RGBColor(255, 255, 255));
    dc.MoveToEx(r.left, r.top);
    dc.LineTo(r.right, r.top);
    dc.LineTo(r.right, r.bottom);
    dc.LineTo(r.left, r.bottom);
    dc.LineTo(r.left, r.top);
    dc.SetBkColor(oldBk);
    dc.SetBkMode(oldMode);
    dc.SetROP2(oldRop);
    dc.SelectPen(oldPen);
}

void TRetouchPage::RetuschPaintMouseDown(int x, int y)
{
    if (view_.press(x, y, host_.selection()) == RetouchView::Press::NewSelection)
        repaintView();
}

void TRetouchPage::RetuschPaintMouseMove(int x, int y)
{
    if (view_.move(x, y, host_.selection()))
        repaintView();
    else if (!view_.dragging())
        setRetcursor(view_.cursor());
}

void TRetouchPage::R() { view_.release(); }

void TRetouchPage::setRetcursor(PointerShape shape)
{
    const QCursor cursor = qCursorFor(shape);
    if (RetuschPaint->cursor().shape() != cursor.shape())
        RetuschPaint->setCursor(cursor);
}

#include "scanlink2/TScanDialog.h"

#include "platform/Controls.h"
#include "platform/QtPrompts.h"
#include "platform/WindowMessages.h"
#include "scanlink2/SaneSession.h"
#include "scanlink2/ScanJob.h"
#include "scanlink2/Scanlink2.h"

#include <sane/sane.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

const PaperSize kPaperSizes[4] = {
    {"A4 (210 x 297 mm)", 210, 297},
    {"Letter (8.5 x 11 in)", 215.9, 279.4},
    {"Legal (8.5 x 14 in)", 215.9, 355.6},
    {"Whole scan area", 0, 0},
};

namespace {

// A form is read well at 300 ppi; the box offers these where the device takes them.
constexpr double kCommonResolutions[] = {75, 100, 150, 200, 300, 400, 600, 1200};
constexpr double kFormResolution = 300;

const char* modeCaption(ScanMode mode)
{
    switch (mode) {
    case ScanMode::Color:
        return "Color";
    case ScanMode::Gray:
        return "Gray";
    default:
        return "Line art";
    }
}

std::vector<double> offeredResolutions(const ScanCapabilities& caps)
{
    if (!caps.resolutions.empty())
        return caps.resolutions;
    std::vector<double> offered;
    for (double r : kCommonResolutions)
        if (r >= caps.minResolution && r <= caps.maxResolution)
            offered.push_back(r);
    if (offered.empty() && caps.maxResolution > 0)
        offered.push_back(caps.maxResolution);
    return offered;
}

}  // namespace

int defaultPaperIndex()
{
    const QLocale::Territory territory = QLocale::system().territory();
    return territory == QLocale::UnitedStates || territory == QLocale::Canada ? 1 : 0;
}

TScanDialog::TScanDialog(QWidget* window, Prompts* prompts, std::unique_ptr<ScanDevice> device)
    : QDialog(window), window_(window), prompts_(prompts), device_(std::move(device)), caps_(device_->capabilities())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString("Scan - %1").arg(QString::fromStdString(device_->name())));
    buildControls(caps_);
}

TScanDialog::~TScanDialog()
{
    // The worker uses the device; it ends before the device closes.
    job_.reset();
}

void TScanDialog::buildControls(const ScanCapabilities& caps)
{
    ModeBox = new QComboBox(this);
    ModeBox->setObjectName("ModeBox");
    for (ScanMode mode : caps.modes)
        ModeBox->addItem(modeCaption(mode), int(mode));
    ModeBox->setCurrentIndex(std::max(0, ModeBox->findData(int(ScanMode::Gray))));

    ResolutionBox = new QComboBox(this);
    ResolutionBox->setObjectName("ResolutionBox");
    const std::vector<double> resolutions = offeredResolutions(caps);
    double nearest = resolutions.empty() ? 0 : resolutions.front();
    for (double r : resolutions) {
        ResolutionBox->addItem(QString("%1 ppi").arg(r), r);
        if (std::abs(r - kFormResolution) < std::abs(nearest - kFormResolution))
            nearest = r;
    }
    ResolutionBox->setCurrentIndex(std::max(0, ResolutionBox->findData(nearest)));

    SourceBox = new QComboBox(this);
    SourceBox->setObjectName("SourceBox");
    for (const std::string& source : caps.sources)
        SourceBox->addItem(QString::fromStdString(source));

    PaperBox = new QComboBox(this);
    PaperBox->setObjectName("PaperBox");
    for (const PaperSize& paper : kPaperSizes)
        PaperBox->addItem(paper.caption);
    PaperBox->setCurrentIndex(defaultPaperIndex());

    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName("StatusLabel");
    ScanBtn = new QPushButton("Scan", this);
    ScanBtn->setObjectName("ScanBtn");
    ScanBtn->setDefault(true);
    CancelBtn = new QPushButton("Cancel", this);
    CancelBtn->setObjectName("CancelBtn");
    connect(ScanBtn, &QPushButton::clicked, this, &TScanDialog::ScanBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TScanDialog::CancelBtnClick);

    auto* form = new QFormLayout;
    if (ModeBox->count() > 0)
        form->addRow("Mode:", ModeBox);
    else
        ModeBox->hide();
    form->addRow("Resolution:", ResolutionBox);
    if (SourceBox->count() > 1)
        form->addRow("Source:", SourceBox);
    else
        SourceBox->hide();
    form->addRow("Paper size:", PaperBox);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(StatusLabel);
    layout->addLayout(buttonRow({ScanBtn, CancelBtn}));
}

ScanSettings TScanDialog::settings() const
{
    ScanSettings settings;
    if (ModeBox->count() > 0)
        settings.mode = ScanMode(ModeBox->currentData().toInt());
    if (ResolutionBox->count() > 0)
        settings.resolution = ResolutionBox->currentData().toDouble();
    if (SourceBox->count() > 1)
        settings.source = SourceBox->currentText().toStdString();
    const PaperSize& paper = kPaperSizes[std::clamp(PaperBox->currentIndex(), 0, 3)];
    // A paper larger than the glass is cut to it; the whole area is the largest the device
    // takes.
    const double huge = 10000;
    settings.widthMm = paper.widthMm > 0 ? paper.widthMm : huge;
    settings.heightMm = paper.heightMm > 0 ? paper.heightMm : huge;
    settings.deviceOptions = deviceOptions;
    return settings;
}

Prompts& TScanDialog::prompts()
{
    if (prompts_)
        return *prompts_;
    if (!ownPrompts_)
        ownPrompts_ = std::make_unique<QtPrompts>(this);
    return *ownPrompts_;
}

void TScanDialog::ScanBtnClick()
{
    if (job_)
        return;
    const int status = device_->apply(settings());
    if (status != SANE_STATUS_GOOD) {
        showError(prompts(), QString::fromStdString(scanStatusText(status)), "Scanner");
        return;
    }
    setControlsEnabled(false);
    StatusLabel->setText("Scanning...");
    QObject* window = window_;
    auto progress = [window](int percent) { postWindowMessage(window, kWmUserEvent, percent); };
    auto finished = [this, window](ScanResult& result) {
        if (result.picture)
            postWindowMessage(window, kWmUser1Event, keepFinishedScan(result.picture.release()));
        QMetaObject::invokeMethod(this, [this, status = result.status] { scanEnded(status); }, Qt::QueuedConnection);
    };
    job_ = std::make_unique<ScanJob>(*device_, progress, finished);
}

void TScanDialog::CancelBtnClick()
{
    if (job_) {
        job_->cancel();
        StatusLabel->setText("Cancelling...");
        return;
    }
    close();
}

void TScanDialog::scanEnded(int status)
{
    job_.reset();
    if (status == SANE_STATUS_GOOD || closeWhenEnded_) {
        if (status != SANE_STATUS_GOOD)
            postWindowMessage(window_, kWmUserEvent, 0);
        close();
        return;
    }
    // No picture comes: the bar is cleared.
    postWindowMessage(window_, kWmUserEvent, 0);
    setControlsEnabled(true);
    StatusLabel->clear();
    if (status != SANE_STATUS_CANCELLED)
        showError(prompts(), QString::fromStdString(scanStatusText(status)), "Scanner");
}

void TScanDialog::setControlsEnabled(bool enabled)
{
    for (QWidget* control : {static_cast<QWidget*>(ModeBox), static_cast<QWidget*>(ResolutionBox),
                             static_cast<QWidget*>(SourceBox), static_cast<QWidget*>(PaperBox),
                             static_cast<QWidget*>(ScanBtn)})
        control->setEnabled(enabled);
}

void TScanDialog::closeEvent(QCloseEvent* event)
{
    // Closing the dialog during a scan cancels the scan; the dialog goes out of sight at once
    // and away when the scan has ended, so the program never waits for the scanner.
    if (job_) {
        closeWhenEnded_ = true;
        job_->cancel();
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

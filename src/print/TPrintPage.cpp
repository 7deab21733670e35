#include "print/TPrintPage.h"

#include "picture/FormHost.h"
#include "platform/HoverImageButton.h"
#include "platform/ProgramPictures.h"
#include "print/Calibration.h"
#include "print/TKalForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TPrintPage::TPrintPage(FormHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    auto* layout = new QVBoxLayout(this);

    KalPrinterBtn = new QPushButton(QStringLiteral("Calibrate printer..."), this);
    KalPrinterBtn->setToolTip(QString::fromLatin1(kCalibrationIntroduction));
    auto* calibrationRow = new QHBoxLayout;
    calibrationRow->addWidget(KalPrinterBtn);
    calibrationRow->addStretch();
    layout->addLayout(calibrationRow);
    layout->addStretch();

    GoBtn1 = makeHoverImageButton(QStringLiteral("GoBtn1"), QStringLiteral("GoBtn1Down"),
                                  QStringLiteral("Print the form"), this);
    GoBtn1->setPressedTakesClicks(false);
    SetupBtn = makeHoverImageButton(QStringLiteral("SetupBtn"), QStringLiteral("SetupBtnDown"),
                                    QStringLiteral("Printer setup"), this);
    auto* printRow = new QHBoxLayout;
    printRow->addStretch();
    printRow->addWidget(SetupBtn);
    printRow->addWidget(GoBtn1);
    layout->addLayout(printRow);

    KalForm = new TKalForm(host_.programDir(), host_.prompts(), this);
    connect(KalPrinterBtn, &QPushButton::clicked, this, &TPrintPage::KalPrinterBtnClick);
    connect(SetupBtn, &HoverImageButton::clicked, this, &TPrintPage::SetupBtnClick);
}

void TPrintPage::derivePrinterFactors()
{
    PrinterMmPerInchX = printerMmPerInch(KalForm->calibration().BreitEd);
    PrinterMmPerInchY = printerMmPerInch(KalForm->calibration().HochEd);
}

void TPrintPage::KalPrinterBtnClick()
{
    KalForm->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        KalForm->move(screen->availableGeometry().center() - KalForm->rect().center());
    KalForm->exec();
}

void TPrintPage::SetupBtnClick()
{
    host_.prompts().printerSetupDialog();
}

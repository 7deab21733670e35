#include "print/TKalForm.h"
#include "print/TPrintPage.h"

#include "PrintTestHost.h"

#include "platform/HoverImageButton.h"
#include "platform/Printer.h"
#include "print/CalibrationPrint.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QByteArray encoded(const Calibration& c)
{
    const auto bytes = encodeCalibration(c);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

class CalibrationDialog : public ::testing::Test {
protected:
    void SetUp() override { QStandardPaths::setTestModeEnabled(true); }
    QTemporaryDir program;
    QTemporaryDir user;
    ScriptedPrompts prompts;
};

}  // namespace

TEST_F(CalibrationDialog, ShowsItsTextsAndReadsTheStoredCalibration)
{
    QFile file(program.filePath("options.dat"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(encoded({-1, 2.5, 110, 96.125}));
    file.close();

    TKalForm form(program.path() + "/", prompts, nullptr, user.path());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Calibrate printer - the settings for your printer modell "));
    EXPECT_EQ(form.introduction->text(),
              QStringLiteral("This settings can correct wrong printouts. Make this test print for every new printer. "
                             "This settings has NOTTING todo with the FORM. Only with the PRINTER MODELL."));
    EXPECT_EQ(form.note->text(), QStringLiteral("Enter the values as printed out. The test printout remains the same. "
                                                "But the form printout will be changed with this settings."));
    EXPECT_EQ(form.BitBtn1->text(), QStringLiteral("Print test rectangle"));
    EXPECT_EQ(form.BitBtn2->text(), QStringLiteral("Back..."));
    EXPECT_DOUBLE_EQ(form.LinksEd->maximum(), 6);
    EXPECT_DOUBLE_EQ(form.BreitEd->minimum(), 95);
    EXPECT_DOUBLE_EQ(form.HochEd->singleStep(), 0.1);

    EXPECT_DOUBLE_EQ(form.LinksEd->value(), 0);
    EXPECT_DOUBLE_EQ(form.ObenEd->value(), 2.5);
    EXPECT_DOUBLE_EQ(form.BreitEd->value(), 105);
    EXPECT_DOUBLE_EQ(form.HochEd->value(), 96.13);  // an exact tie rounds away from zero
}

TEST_F(CalibrationDialog, EveryWayOfClosingWritesTheFile)
{
    TKalForm form(program.path() + "/", prompts, nullptr, user.path());
    EXPECT_EQ(form.calibration(), Calibration{});
    const QString path = program.filePath("options.dat");
    ASSERT_FALSE(QFile::exists(path));

    form.show();
    form.BitBtn2->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(fileBytes(path), encoded(Calibration{}));

    form.show();
    form.BreitEd->setValue(101.5);
    form.LinksEd->setValue(4.2);
    form.close();
    EXPECT_EQ(fileBytes(path), encoded({4.2, 0, 101.5, 100}));

    TKalForm again(program.path() + "/", prompts, nullptr, user.path());
    EXPECT_EQ(again.calibration(), (Calibration{4.2, 0, 101.5, 100}));
}

TEST_F(CalibrationDialog, TestRectangleOnARasterPrinter)
{
    for (const int dpi : {600, 300}) {
        QTemporaryDir pages;
        QImageReader::setAllocationLimit(0);  // an A4 page at 600 pixels per inch is larger
        RasterPrinterScope scope(pages.path(), dpi);
        TKalForm form(program.path() + "/", prompts, nullptr, user.path());
        form.BreitEd->setValue(104);  // the test print never applies the calibration
        form.LinksEd->setValue(5);
        form.BitBtn1->click();

        EXPECT_EQ(scope.printer().title(), QStringLiteral("Velmora test print"));
        ASSERT_EQ(scope.printer().pageFiles().size(), 1);
        const QImage page(scope.printer().pageFiles().front());
        ASSERT_FALSE(page.isNull());
        const int end = dpi == 600 ? 2362 : 1181;
        EXPECT_EQ(testRectangleExtent(dpi), end);
        const QRgb black = qRgb(0, 0, 0), grey = qRgb(192, 192, 192), white = qRgb(255, 255, 255);
        EXPECT_EQ(page.pixel(0, 0), black);
        EXPECT_EQ(page.pixel(end / 2, 0), black);
        EXPECT_EQ(page.pixel(0, end / 2), black);
        EXPECT_EQ(page.pixel(end - 1, end / 2), black);
        EXPECT_EQ(page.pixel(end / 2, end - 1), black);
        EXPECT_EQ(page.pixel(1, 1), grey);
        EXPECT_EQ(page.pixel(end - 2, end - 2), grey);
        EXPECT_EQ(page.pixel(end, end / 2), white);
        EXPECT_EQ(page.pixel(end / 2, end), white);
        EXPECT_EQ(page.pixel(end, end), white);
        EXPECT_TRUE(prompts.messages().empty());
    }
}

TEST_F(CalibrationDialog, PrintPageOpensTheDialogAndDerivesTheFactors)
{
    TestFormHost host(program.path() + "/");
    TPrintPage page(host);
    EXPECT_EQ(page.KalPrinterBtn->text(), QStringLiteral("Calibrate printer..."));
    EXPECT_EQ(page.KalPrinterBtn->toolTip(), page.kalForm().introduction->text());
    EXPECT_EQ(page.GoBtn1->toolTip(), QStringLiteral("Print the form"));
    EXPECT_EQ(page.SetupBtn->toolTip(), QStringLiteral("Printer setup"));
    EXPECT_FALSE(page.GoBtn1->pressedTakesClicks());

    host.scripted.queuePrinterDialog(true);
    emit page.SetupBtn->clicked();
    ASSERT_EQ(host.scripted.printerDialogs().size(), 1u);
    EXPECT_EQ(host.scripted.printerDialogs()[0].kind, PrinterDialogKind::Setup);

    page.kalForm().BreitEd->setValue(101.5);
    page.kalForm().HochEd->setValue(98);
    // Not derived until asked.
    EXPECT_DOUBLE_EQ(page.PrinterMmPerInchX, 25.39995);
    page.derivePrinterFactors();
    EXPECT_DOUBLE_EQ(page.PrinterMmPerInchX, 25.78094925);
    EXPECT_DOUBLE_EQ(page.PrinterMmPerInchY, 98 * 25.39995 / 100);

    bool wasShown = false;
    QTimer::singleShot(0, [&] {
        wasShown = page.kalForm().isVisible();
        page.kalForm().BitBtn2->click();
    });
    page.KalPrinterBtnClick();
    EXPECT_TRUE(wasShown);
    EXPECT_EQ(fileBytes(program.filePath("options.dat")), encoded({0, 0, 101.5, 98}));
}

TEST_F(CalibrationDialog, TypedMeasurementsAreClampedToTheirRange)
{
    QTemporaryDir printed;
    RasterPrinterScope pages(printed.path(), 300);
    TKalForm form(program.path() + "/", prompts, nullptr, user.path());
    form.show();
    typeInto(form.BreitEd, QStringLiteral("110"));
    typeInto(form.HochEd, QStringLiteral("9"));
    typeInto(form.LinksEd, QStringLiteral("-1"));
    typeInto(form.ObenEd, QStringLiteral("12"));
    EXPECT_EQ(form.calibration(), (Calibration{0, 6, 105, 95}));
    // Return ends each entry and nothing else: the dialog stays open and nothing is saved yet.
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(QFile::exists(program.filePath("options.dat")));

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.ObenEd, &escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(fileBytes(program.filePath("options.dat")), encoded({0, 6, 105, 95}));
    EXPECT_TRUE(pages.printer().pageFiles().isEmpty());
}

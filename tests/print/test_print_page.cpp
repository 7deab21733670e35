#include "print/TPrintPage.h"

#include "PrintTestForm.h"
#include "PrintTestHost.h"

#include "platform/Printer.h"
#include "platform/Screen.h"
#include "print/PrinterChoice.h"
#include "print/TKalForm.h"
#include "print/TPrevForm.h"
#include "support/SmallDisk.h"
#include "support/TestPdf.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

#include <gtest/gtest.h>

using namespace printtest;

namespace {

// A raster printer that counts its jobs and may pretend to a fixed page size.
class CountingPrinter : public RasterPrinter {
public:
    CountingPrinter(const QString& folder, int dpi, QSize fixedPage = {})
        : RasterPrinter(folder, QStringLiteral("page"), dpi, dpi, QPageSize(QSizeF(2, 2), QPageSize::Inch)),
          fixedPage_(fixedPage)
    {
    }
    bool BeginDoc() override
    {
        ++jobs;
        return RasterPrinter::BeginDoc();
    }
    int32_t pageWidth() const override
    {
        return fixedPage_.isEmpty() ? RasterPrinter::pageWidth() : fixedPage_.width();
    }
    int32_t pageHeight() const override
    {
        return fixedPage_.isEmpty() ? RasterPrinter::pageHeight() : fixedPage_.height();
    }
    int jobs = 0;

private:
    QSize fixedPage_;
};

// Installs a printer for one test and puts the one before back afterwards.
template <typename P>
class PrinterScope {
public:
    explicit PrinterScope(std::unique_ptr<P> printer) : printer_(printer.get())
    {
        previous_ = setCurrentPrinter(std::move(printer));
    }
    ~PrinterScope() { setCurrentPrinter(std::move(previous_)); }
    P& operator*() { return *printer_; }
    P* operator->() { return printer_; }

private:
    P* printer_;
    std::unique_ptr<Printer> previous_;
};

class PrintPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        QStandardPaths::setTestModeEnabled(true);
        makeForm(host.doc, false);
        page = std::make_unique<TPrintPage>(host);
        page->hasPrinters = [] { return true; };
    }

    QTemporaryDir dir;
    TestFormHost host{dir.path() + QStringLiteral("/")};
    std::unique_ptr<TPrintPage> page;
};

TEST_F(PrintPage, AChosenRecordMustExistExceptForNames)
{
    PrinterScope printer(std::make_unique<CountingPrinter>(dir.path(), 100));
    host.doc.records.clear();
    host.recordNumber = 1;
    page->GoBtn1Click();
    page->PrevBtnClick();
    // Printing stops before its dialog; the preview after its printer-setup dialog.
    ASSERT_EQ(host.scripted.messages().size(), 2u);
    for (const ShownMessage& m : host.scripted.messages()) {
        EXPECT_EQ(m.text, QStringLiteral("Invalid data set"));
        EXPECT_EQ(m.caption, QString());
        EXPECT_EQ(m.icon, MsgIcon::Error);
    }
    ASSERT_EQ(host.scripted.printerDialogs().size(), 1u);
    EXPECT_EQ(host.scripted.printerDialogs()[0].kind, PrinterDialogKind::Setup);
    EXPECT_EQ(printer->jobs, 0);

    // The names need no record.
    host.scripted.clear();
    page->NameDCheck->setChecked(true);
    host.scripted.queuePrinterDialog(true);
    page->GoBtn1Click();
    EXPECT_TRUE(host.scripted.messages().empty());
    EXPECT_EQ(printer->jobs, 1);
    EXPECT_EQ(printer->pageFiles().size(), 1);
    EXPECT_EQ(host.progress.back(), 0);
}

TEST_F(PrintPage, PrintAllRecordsIsOneJobPerRecordWithoutDialog)
{
    PrinterScope printer(std::make_unique<CountingPrinter>(dir.path(), 100));
    host.doc.records = {FormRecord{{entry("Name", "one")}}, FormRecord{{entry("Name", "two")}},
                        FormRecord{{entry("Name", "three")}}};
    page->PrintAllBtnClick();
    EXPECT_EQ(printer->jobs, 3);
    EXPECT_EQ(printer->pageFiles().size(), 3);
    EXPECT_TRUE(host.scripted.printerDialogs().empty());
    EXPECT_TRUE(host.scripted.messages().empty());
    EXPECT_EQ(host.recordNumber, 3);
    EXPECT_FALSE(page->PrintingAll);
    EXPECT_EQ(std::count(host.progress.begin(), host.progress.end(), 0), 3);
}

int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    return int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "));
}

TEST_F(PrintPage, PrintAllIntoAFileKeepsEveryRecordAsAPage)
{
    PrinterScope printer(std::make_unique<SystemPrinter>());
    const QString pdf = dir.filePath(QStringLiteral("all.pdf"));
    printer->qprinter()->setOutputFormat(QPrinter::PdfFormat);
    printer->qprinter()->setOutputFileName(pdf);
    host.doc.records = {FormRecord{{entry("Name", "one")}}, FormRecord{{entry("Name", "two")}},
                        FormRecord{{entry("Name", "three")}}};
    page->PrintAllBtnClick();
    EXPECT_TRUE(host.scripted.messages().empty());
    EXPECT_EQ(pdfPageCount(pdf), 3);
    EXPECT_EQ(host.recordNumber, 3);
}

TEST_F(PrintPage, AFullDiskKeepsTheOldFileAndSaysWhichAndWhy)
{
    SmallDisk disk;
    PrinterScope printer(std::make_unique<SystemPrinter>());
    const QString pdf = disk.path(QStringLiteral("form.pdf"));
    printer->qprinter()->setOutputFormat(QPrinter::PdfFormat);
    printer->qprinter()->setOutputFileName(pdf);
    struct Row {
        QString file;
        std::function<void()> write;
    };
    const Row rows[] = {
        {pdf, [&] {
             host.scripted.queuePrinterDialog(true);
             page->GoBtn1Click();
         }},
        {pdf, [&] { page->PrintAllBtnClick(); }},
        {disk.path(QStringLiteral("options.dat")), [&] {
             TKalForm form(disk.folder() + u'/', host.scripted, nullptr, dir.path());
             form.done(0);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file.toStdString());
        {
            QFile old(row.file);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        host.scripted.clear();
        disk.leaveFree(0);
        row.write();
        disk.makeRoom();
        EXPECT_EQ(host.scripted.messageTexts(), QStringList{QStringLiteral("The file \"%1\" could not be written: %2.")
                                                                .arg(row.file, QString::fromLatin1(disk.reason()))});
        QFile old(row.file);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "old");
        EXPECT_EQ(QDir(disk.folder()).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\.")),
                  QStringList{});
    }
}

TEST_F(PrintPage, WithoutPrintersTheUserIsOfferedAPdfFile)
{
    PrinterScope printer(std::make_unique<SystemPrinter>());
    page->hasPrinters = [] { return false; };

    // Declined: nothing is printed and no print dialog follows.
    page->GoBtn1Click();
    ASSERT_EQ(host.scripted.messages().size(), 1u);
    EXPECT_EQ(host.scripted.messages()[0].text, QString::fromLatin1(kNoPrinterMessage));
    EXPECT_EQ(host.scripted.messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(host.scripted.printerDialogs().empty());

    // The same for the calibration's test print.
    host.scripted.clear();
    page->kalForm().BitBtn1Click();
    EXPECT_EQ(host.scripted.messageTexts(), QStringList{QString::fromLatin1(kNoPrinterMessage)});

    // Accepted: the page goes into the chosen file.
    host.scripted.clear();
    const QString pdf = dir.filePath(QStringLiteral("form.pdf"));
    host.scripted.queueAnswer(MsgAnswer::Yes);
    host.scripted.queueSaveFile(pdf);
    host.scripted.queuePrinterDialog(true);
    page->GoBtn1Click();
    EXPECT_EQ(host.scripted.messageTexts(), QStringList{QString::fromLatin1(kNoPrinterMessage)});
    EXPECT_EQ(pdfPageCount(pdf), 1);
}

QString printedIntoText(const QString& file)
{
    return QStringLiteral("The form was printed into the file \"%1\".").arg(QDir::toNativeSeparators(file));
}

// "Print all records" shows no print dialog: without printers it asks for the file on every run,
// once, offering the one chosen before. Every print into a file says in the status bar where it went.
TEST_F(PrintPage, PrintAllWithoutPrintersAsksForTheFileAndTellsWhereItWent)
{
    PrinterScope printer(std::make_unique<SystemPrinter>());
    page->hasPrinters = [] { return false; };
    const QString one = dir.filePath(QStringLiteral("one.pdf"));
    const QString all = dir.filePath(QStringLiteral("all.pdf"));
    host.scripted.queueAnswer(MsgAnswer::Yes);
    host.scripted.queueSaveFile(one);
    host.scripted.queuePrinterDialog(true);
    page->GoBtn1Click();
    ASSERT_EQ(pdfPageCount(one), 1);
    EXPECT_EQ(host.statusTexts, QStringList{printedIntoText(one)});

    host.doc.records.assign(5, FormRecord{{entry("Name", "many")}});
    host.scripted.clear();
    host.scripted.queueSaveFile(all);
    page->PrintAllBtnClick();
    ASSERT_EQ(host.scripted.fileDialogs().size(), 1u);
    EXPECT_EQ(host.scripted.fileDialogs()[0].kind, FileDialogKind::Save);
    EXPECT_EQ(host.scripted.fileDialogs()[0].request.fileName, one);
    EXPECT_TRUE(host.scripted.fileDialogs()[0].request.overwritePrompt);
    EXPECT_TRUE(host.scripted.messages().empty()) << "the no-printer question was answered before";
    EXPECT_EQ(pdfPageCount(all), 5);
    EXPECT_EQ(pdfPageCount(one), 1) << "the earlier file is not replaced";
    EXPECT_EQ(host.statusTexts, (QStringList{printedIntoText(one), printedIntoText(all)}));

    // Cancelled: nothing is printed and nothing said.
    host.scripted.clear();
    ASSERT_TRUE(QFile::remove(all));
    page->PrintAllBtnClick();
    EXPECT_EQ(host.scripted.fileDialogs().size(), 1u);
    EXPECT_FALSE(QFile::exists(all));
    EXPECT_EQ(host.statusTexts.size(), 2);
}

TEST_F(PrintPage, ShiftBoxesShowAndKeepTheDocumentsShiftInInches)
{
    host.doc.PrintShiftMm = {0.5 * MmPerInch, -MmPerInch};
    page->documentChanged();
    EXPECT_DOUBLE_EQ(page->VerschXin->value(), 0.5);
    EXPECT_DOUBLE_EQ(page->VerschYin->value(), -1.0);
    typeInto(page->VerschXin, QStringLiteral("1.2"));
    EXPECT_DOUBLE_EQ(host.doc.PrintShiftMm.x, 1.2 * MmPerInch);
    EXPECT_DOUBLE_EQ(page->pageRequest(1).shiftMm.x, 1.2 * MmPerInch);
}

TEST_F(PrintPage, PreviewShowsTheA4PageAtPaperSizeOrOnePixelPerPixel)
{
    // An A4 page at 600 ppi: 4960 x 7016 device pixels, a 1240 x 1754 preview bitmap.
    PrinterScope printer(std::make_unique<CountingPrinter>(dir.path(), 600, QSize(4960, 7016)));
    const int screen = ScreenPixelsPerInch();
    QSize shown;
    QSize enlarged;
    int scrolled = 0;
    QTimer::singleShot(0, [&] {
        TPrevForm& form = page->prevForm();
        shown = form.PaintBox1->size();
        form.EveryPixelCheck->click();
        enlarged = form.PaintBox1->size();
        // The wheel over the page scrolls it.
        QCoreApplication::processEvents();
        const QPointF at(10, 10);
        QWheelEvent wheel(at, form.PaintBox1->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(form.PaintBox1, &wheel);
        scrolled = form.ScrollBox1->verticalScrollBar()->value();
        form.BitBtn1->click();
    });
    page->PrevBtnClick();  // the printer-setup dialog is cancelled: the preview shows all the same
    EXPECT_EQ(host.scripted.printerDialogs().size(), 1u);
    EXPECT_EQ(enlarged, QSize(1240, 1754));
    EXPECT_GT(scrolled, 0);
    if (screen == 96)
        EXPECT_EQ(shown, QSize(793, 1122));
    else
        EXPECT_EQ(shown, QSize(int(1240 * screen / 150.0), int(1754 * screen / 150.0)));
    EXPECT_EQ(printer->jobs, 0);
}

TEST_F(PrintPage, AlternatePrintingFunctionIsKeptBetweenRuns)
{
    QSettings settings(dir.filePath(QStringLiteral("velmora.ini")), QSettings::IniFormat);
    page->loadSettings(settings);
    EXPECT_FALSE(page->spezialprintcheck->isChecked());
    page->spezialprintcheck->setChecked(true);
    page->saveSettings(settings);
    TPrintPage next(host);
    next.loadSettings(settings);
    EXPECT_TRUE(next.spezialprintcheck->isChecked());
    EXPECT_TRUE(next.pageRequest(1).viaPrinterBitmap);
}

}  // namespace

QString toolOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// A form made from a PDF page printed into a PDF file: with "Original PDF page underneath" the
// original's own words are in the file and no picture; otherwise the picture prints as before.
TEST_F(PrintPage, PdfOutputPutsTheValuesOntoTheOriginalPageWhenAsked)
{
    struct Row {
        const char* name;
        bool withForm;       // "Print scanned form and the records"
        bool underneath;     // "Original PDF page underneath"
        bool originalWords;  // the original's word in the output
        int images;          // pictures in the output
    };
    const Row rows[] = {
        {"onto the original", true, true, true, 0},
        {"the picture instead", true, false, false, 1},
        {"records only", false, true, false, 0},
    };
    makeForm(host.doc, true);
    const QByteArray original = testpdf::makePdf(1);
    host.doc.originalPdf = OriginalPdf{std::vector<uint8_t>(original.begin(), original.end()), 1};
    page->documentChanged();
    EXPECT_TRUE(page->OriginalPdfCheck->isVisibleTo(page.get()));
    EXPECT_TRUE(page->OriginalPdfCheck->isChecked());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PrinterScope printer(std::make_unique<SystemPrinter>());
        const QString pdf = dir.filePath(QString::fromLatin1(row.name) + QStringLiteral(".pdf"));
        printer->qprinter()->setOutputFormat(QPrinter::PdfFormat);
        printer->qprinter()->setOutputFileName(pdf);
        page->RadioButton2->setChecked(row.withForm);
        page->RadioButton1->setChecked(!row.withForm);
        page->OriginalPdfCheck->setChecked(row.underneath);
        EXPECT_EQ(page->OriginalPdfCheck->isEnabled(), row.withForm);
        host.scripted.queuePrinterDialog(true);
        page->GoBtn1Click();

        EXPECT_TRUE(host.scripted.messages().empty()) << host.scripted.messageTexts().join(u'|').toStdString();
        const QString text = toolOutput(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        EXPECT_TRUE(text.contains(QStringLiteral("HHHH"))) << text.toStdString();
        EXPECT_EQ(text.contains(QString::fromLatin1(testpdf::kWord)), row.originalWords) << text.toStdString();
        const QString images = toolOutput(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
        EXPECT_EQ(images.count(u'\n') - 2, row.images) << images.toStdString();
        EXPECT_EQ(host.statusTexts.back(), QStringLiteral("The form was printed into the file \"%1\".")
                                               .arg(QDir::toNativeSeparators(pdf)));
    }

    // A form whose kept original cannot be read says so and writes nothing.
    host.doc.originalPdf->bytes.resize(200);
    PrinterScope printer(std::make_unique<SystemPrinter>());
    const QString pdf = dir.filePath(QStringLiteral("damaged.pdf"));
    printer->qprinter()->setOutputFormat(QPrinter::PdfFormat);
    printer->qprinter()->setOutputFileName(pdf);
    page->RadioButton2->setChecked(true);
    page->OriginalPdfCheck->setChecked(true);
    host.scripted.queuePrinterDialog(true);
    page->GoBtn1Click();
    ASSERT_EQ(host.scripted.messages().size(), 1u);
    EXPECT_TRUE(host.scripted.messages()[0].text.startsWith(
        QStringLiteral("The form could not be printed onto the original PDF page: ")))
        << host.scripted.messages()[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

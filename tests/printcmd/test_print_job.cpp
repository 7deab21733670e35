// velmora-print as a user meets it: the program run on files the tests write, its exit status,
// its error line and its pages, beside what the window's printer path draws for the same record.
#include "document/FormFile.h"
#include "platform/Printer.h"
#include "print/FormSize.h"
#include "print/PageRenderer.h"
#include "print/PrintTestForm.h"
#include "print/TFormSizePage.h"
#include "print/TPrintPage.h"
#include "printcmd/PrintJob.h"
#include "support/SmallDisk.h"
#include "support/TestFiles.h"
#include "support/TestFormHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QPageSize>
#include <QPrinter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int status = -1;
    QString errors;
};

ProgramRun runProgram(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(VELMORA_PRINT_PROGRAM), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QByteArray calibrationBytes(const Calibration& calibration)
{
    const auto bytes = encodeCalibration(calibration);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// The shared print test form (0.1 mm per picture pixel, the paper's corner at the picture's
// corner) with three records and a print shift of its own.
class PrintToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        printtest::makeForm(doc);
        doc.records = {FormRecord{{printtest::entry("Name", "Alpha")}}, FormRecord{{printtest::entry("Name", "Bravo")}},
                       FormRecord{{printtest::entry("Name", "Charlie")}}};
        doc.PrintShiftMm = {5, 3};
        saveForm();
        ASSERT_TRUE(writeFile(path("defaults.dat"), calibrationBytes(Calibration{})));
    }
    void saveForm() { ASSERT_TRUE(writeFormFile(path("form.frm").toStdString(), doc)); }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    FormDocument doc;
};

TEST_F(PrintToolTest, StatusAndOneLineErrorPerFailure)
{
    FormDocument badSize;
    printtest::makeForm(badSize);
    badSize.SecondPoint = {1100, 200};
    ASSERT_TRUE(writeFormFile(path("badsize.frm").toStdString(), badSize));
    ASSERT_TRUE(writeFile(path("notaform.frm"), "hello"));
    ASSERT_TRUE(writeFile(path("short.dat"), "12345678"));
    ASSERT_TRUE(writeFile(path("long.dat"), calibrationBytes(Calibration{}) + "12345678"));
    struct Row {
        QStringList arguments;
        int status;
        const char* errorPart;
    };
    const QString form = path("form.frm");
    const QString pdf = path("out.pdf");
    const Row rows[] = {
        {{form, "--pdf", pdf, "--quiet"}, 0, ""},
        {{form}, 2, "exactly one of"},
        {{form, "--pdf", pdf, "--records", "x"}, 2, "--records"},
        {{path("missing.frm"), "--pdf", pdf}, 1, "cannot open the form file"},
        {{path("notaform.frm"), "--pdf", pdf}, 1, "is no form file"},
        {{path("badsize.frm"), "--pdf", pdf}, 1, "coincide in one direction"},
        {{form, "--pdf", pdf, "--csv", path("missing.csv")}, 1, "cannot open the CSV file"},
        {{form, "--pdf", pdf, "--records", "2-4"}, 1, "names record 4, but the form has 3 record(s)"},
        {{form, "--pdf", path("no/such/folder/out.pdf")}, 1, "cannot write"},
        {{form, "--png", path("form.frm")}, 1, "cannot create the folder"},
        {{form, "--pdf", pdf, "--calibration", path("short.dat")}, 1, "does not hold exactly 32 bytes"},
        {{form, "--pdf", pdf, "--calibration", path("long.dat")}, 1, "does not hold exactly 32 bytes"},
        {{form, "--pdf", "--quiet"}, 2, "--pdf is missing its value"},
        {{form, "--printer", "no printer of this name"}, 1, "there is no printer"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.join(u' ').toStdString());
        const ProgramRun run = runProgram(row.arguments);
        EXPECT_EQ(run.status, row.status) << run.errors.toStdString();
        if (row.status != 0) {
            EXPECT_TRUE(run.errors.startsWith(QStringLiteral("velmora-print: ")));
            EXPECT_TRUE(run.errors.contains(QString::fromUtf8(row.errorPart))) << run.errors.toStdString();
            EXPECT_EQ(run.errors.count(u'\n'), 1) << run.errors.toStdString();
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".out.pdf")).size(), 0)
        << "no temporary file is left behind";
}

TEST_F(PrintToolTest, AFullDiskKeepsTheOldOutputAndSaysWhichFileAndWhy)
{
    SmallDisk disk;
    struct Row {
        const char* option;
        const char* target;
        const char* written;  // the file that gets no room
    };
    const Row outputs[] = {{"--pdf", "out.pdf", "out.pdf"}, {"--png", "pages", "pages/record-1.png"}};
    for (const Row& output : outputs) {
        SCOPED_TRACE(output.option);
        const QString written = disk.path(QString::fromLatin1(output.written));
        const QStringList arguments{path("form.frm"), output.option, disk.path(QString::fromLatin1(output.target)),
                                    "--records", "1-2", "--threads", "1", "--quiet"};
        ASSERT_EQ(runProgram(arguments).status, 0);
        const qint64 size = QFileInfo(written).size();
        // No room at all, room for half the file, and for all but its last byte.
        for (const qint64 free : {qint64(0), size / 2, size - 1}) {
            SCOPED_TRACE(free);
            ASSERT_TRUE(writeFile(written, "old"));
            disk.leaveFree(size_t(free));
            const ProgramRun run = runProgram(arguments);
            disk.makeRoom();
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.errors, QStringLiteral("velmora-print: The file \"%1\" could not be written: %2.\n")
                                      .arg(written, QString::fromLatin1(disk.reason())))
                << run.errors.toStdString();
            QFile old(written);
            ASSERT_TRUE(old.open(QIODevice::ReadOnly));
            EXPECT_EQ(old.readAll(), "old");
            const QStringList unfinished =
                QFileInfo(written).dir().entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^\\."));
            EXPECT_EQ(unfinished, QStringList{});
        }
    }
}

TEST_F(PrintToolTest, FormSizeReasonsInWords)
{
    struct Row {
        PointI second;
        PointD secondMm;
        const char* reason;
    };
    // The first point stays at (100, 200) px, (10, 20) mm; the picture is 1200 x 1800 pixels.
    const Row rows[] = {
        {{1100, 1700}, {110, 170}, ""},
        {{100, 1700}, {110, 170}, "coincide in one direction"},
        {{1100, 1700}, {110, 20}, "coincide in one direction"},
        {{1100, 1700}, {110, 190}, "match only to 88 percent"},
        {{700, 1700}, {70, 170}, "half the picture's width"},
        {{1100, 1100}, {110, 110}, "half the picture's height"},
    };
    for (const Row& row : rows) {
        doc.SecondPoint = row.second;
        doc.SecondPointMm = row.secondMm;
        const QString reason = formSizeReason(doc);
        EXPECT_TRUE(reason.contains(QString::fromUtf8(row.reason))) << reason.toStdString();
        EXPECT_EQ(reason.isEmpty(), *row.reason == 0);
    }
    // What the window lets the user accept, the option accepts; an invalid size never.
    doc.SecondPoint = {700, 1700};
    doc.SecondPointMm = {70, 170};
    saveForm();
    PrintOptions options;
    options.formFile = path("form.frm");
    QString error;
    EXPECT_FALSE(PrintJob(options).prepare({}, &error));
    options.acceptFormSize = true;
    EXPECT_TRUE(PrintJob(options).prepare({}, &error)) << error.toStdString();
}

TEST_F(PrintToolTest, CsvRecordsReplaceTheFormsOwn)
{
    ASSERT_TRUE(writeFile(path("records.csv"), "\"one\",\"x\"\r\n\r\ntwo;y\r\n\"three\\nlines\"\r\n"));
    ASSERT_TRUE(writeFile(path("empty.csv"), "\r\n\r\n"));
    PrintOptions options;
    options.formFile = path("form.frm");
    options.csvFile = path("records.csv");
    options.records = {{2, 0}};
    PrintJob job(options);
    QString error;
    ASSERT_TRUE(job.prepare({}, &error)) << error.toStdString();
    const FormDocument& read = job.document();
    ASSERT_EQ(read.recordCount(), 3);
    const char* values[] = {"one", "two", "three\nlines"};
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(read.records[i].size(), 1u);
        EXPECT_EQ(read.records[i].value(0), values[i]);
        EXPECT_EQ(read.records[i].layout(0).left, 300) << "made from record 1";
    }
    EXPECT_EQ(job.pages(), (std::vector<int>{2, 3}));

    options.csvFile = path("empty.csv");
    EXPECT_FALSE(PrintJob(options).prepare({}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("holds no records"))) << error.toStdString();

    doc.records.clear();
    saveForm();
    options.csvFile = path("records.csv");
    EXPECT_FALSE(PrintJob(options).prepare({}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("take the fields over"))) << error.toStdString();
}

// The window as far as printing goes: the form opened from its file, the "Set form size" and
// "Print" tabs told of it as after "Open", and the calibration read from options.dat in the
// program's folder. Go! prints record 2 on whatever printer is current.
struct WindowPrint {
    explicit WindowPrint(const QString& programDir, const QString& formFile) : host(programDir)
    {
        QStandardPaths::setTestModeEnabled(true);
        opened = readFormFile(formFile.toStdString(), host.doc) == FormReadStatus::Ok;
        formSize.documentChanged();
        print.documentChanged();
        print.hasPrinters = [] { return false; };
        print.RadioButton2->setChecked(true);  // "Print scanned form and the records"
        host.recordNumber = 2;
    }
    TestFormHost host;
    TFormSizePage formSize{host};
    TPrintPage print{host};
    bool opened = false;
};

// Installs a printer for one test and puts the one before back afterwards.
class CurrentPrinter {
public:
    explicit CurrentPrinter(std::unique_ptr<Printer> printer) : printer_(printer.get())
    {
        previous_ = setCurrentPrinter(std::move(printer));
    }
    ~CurrentPrinter() { setCurrentPrinter(std::move(previous_)); }
    Printer& operator*() { return *printer_; }

private:
    Printer* printer_;
    std::unique_ptr<Printer> previous_;
};

// Go! on a 600 x 600 raster printer and the program's PNG page of the same record, the same
// options.dat and the form's own shift: the same page, pixel for pixel. The forms' paper
// positions and shifts are no multiples of 0.01 (mm and inch), and one paper position lies
// left of the sheet, as a damaged or hand-made file may hold them; the window holds them as its
// boxes show them, and so must the program.
TEST_F(PrintToolTest, PngPageEqualsTheWindowsPrinterPath)
{
    struct Row {
        const char* name;
        PointD firstMm, secondMm;
        PointD shiftMm;
    };
    const Row rows[] = {
        {"positions and shift between the box's steps", {12.345, 17.255}, {171.305, 251.805}, {3.3, 1.7}},
        {"first point above the sheet, shift up and left", {10, -5}, {110, 150}, {-4.4, -2.1}},
    };
    const Calibration calibration{2.5, 1.25, 101.5, 98};
    ASSERT_TRUE(writeFile(path("options.dat"), calibrationBytes(calibration)));
    QImageReader::setAllocationLimit(512);  // an A4 page at 600 x 600 takes 133 MB as RGB32
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        doc.FirstPointMm = row.firstMm;
        doc.SecondPointMm = row.secondMm;
        doc.PrintShiftMm = row.shiftMm;
        saveForm();
        QDir(path("pages")).removeRecursively();
        QDir(path("window")).removeRecursively();
        QDir().mkpath(path("window"));
        const ProgramRun run = runProgram({path("form.frm"), "--png", path("pages"), "--dpi", "600", "--with-form",
                                           "--records", "2", "--calibration", path("options.dat"), "--quiet"});
        ASSERT_EQ(run.status, 0) << run.errors.toStdString();

        WindowPrint window(dir.path() + u'/', path("form.frm"));
        ASSERT_TRUE(window.opened);
        CurrentPrinter raster(std::make_unique<RasterPrinter>(path("window"), QStringLiteral("page"), 600, 600));
        window.host.scripted.queuePrinterDialog(true);
        window.print.GoBtn1Click();
        const QStringList windowPages = QDir(path("window")).entryList(QDir::Files);
        ASSERT_EQ(windowPages.size(), 1) << window.host.scripted.messageTexts().join(u'|').toStdString();

        const QImage expected = QImage(path("window") + u'/' + windowPages.front()).convertToFormat(QImage::Format_RGB32);
        const QImage printed = QImage(path("pages/record-2.png")).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(printed.isNull());
        EXPECT_EQ(printed.size(), expected.size());
        EXPECT_TRUE(printed == expected);
        int inked = 0;
        for (int y = 0; y < printed.height(); ++y)
            for (int x = 0; x < printed.width(); ++x)
                inked += qGray(printed.pixel(x, y)) < 128;
        EXPECT_GT(inked, 2 * printtest::kMarkSize * printtest::kMarkSize) << "the marks and the value are on the page";
    }
}

// Each word of a PDF with its box in points from the paper's top-left corner, as pdftotext
// finds them.
QStringList pdfWords(const QString& pdf)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-bbox", pdf, "-"});
    if (!pdftotext.waitForFinished(60000))
        return {};
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    const QRegularExpression word(QStringLiteral("<word (xMin=[^>]*)>([^<]*)</word>"));
    QStringList words;
    for (const QRegularExpressionMatch& m : word.globalMatch(html))
        words << m.captured(2) + u' ' + m.captured(1);
    return words;
}

// The window's PDF (Go! without printers, the PDF file offered instead) and the program's PDF of
// the same form and options.dat put every word at the same place: neither keeps a margin.
TEST_F(PrintToolTest, WindowsPdfAndTheProgramsPdfPutTheWordsAlike)
{
    const Calibration calibration{2.5, 1.25, 101.5, 98};
    ASSERT_TRUE(writeFile(path("options.dat"), calibrationBytes(calibration)));
    const ProgramRun run = runProgram({path("form.frm"), "--pdf", path("tool.pdf"), "--records", "2",
                                       "--calibration", path("options.dat"), "--quiet"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();

    WindowPrint window(dir.path() + u'/', path("form.frm"));
    ASSERT_TRUE(window.opened);
    window.print.RadioButton1->setChecked(true);  // the record only, as the program without --with-form
    CurrentPrinter system(std::make_unique<SystemPrinter>());
    (*system).qprinter()->setPageSize(QPageSize(QPageSize::A4));
    window.host.scripted.queueAnswer(MsgAnswer::Yes);
    window.host.scripted.queueSaveFile(path("window.pdf"));
    window.host.scripted.queuePrinterDialog(true);
    window.print.GoBtn1Click();

    const QStringList tool = pdfWords(path("tool.pdf"));
    ASSERT_EQ(tool.size(), 1) << tool.join(u'|').toStdString();
    EXPECT_TRUE(tool.front().startsWith(QStringLiteral("Bravo "))) << tool.front().toStdString();
    EXPECT_EQ(pdfWords(path("window.pdf")).join(u'|').toStdString(), tool.join(u'|').toStdString());
}

// Each word of the three pages lies inside the field's rectangle on the paper.
TEST_F(PrintToolTest, PdfPagesPutEachValueInsideItsField)
{
    const ProgramRun run = runProgram({path("form.frm"), "--pdf", path("three.pdf"), "--calibration", path("defaults.dat"),
                                "--shift-x", "0", "--shift-y", "0"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QStringLiteral("3 records, 3 pages"))) << run.errors.toStdString();

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {"-bbox", path("three.pdf"), "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(60000));
    const QString html = QString::fromUtf8(pdftotext.readAllStandardOutput());
    ASSERT_EQ(html.count(QStringLiteral("<page ")), 3) << html.toStdString();

    // The field (300, 400)-(700, 500) in picture pixels, in points from the paper's corner.
    const OrderedFormSize size = orderFormSize(doc);
    const PointD topLeft = size.paperPosition(300, 400);
    const PointD bottomRight = size.paperPosition(700, 500);
    const auto points = [](double mm) { return mm / MmPerInch * 72; };
    const double slack = 0.5;  // the placement truncates to whole device pixels
    const QRegularExpression word(QStringLiteral(
        "xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QStringList words;
    for (const QRegularExpressionMatch& m : word.globalMatch(html)) {
        words << m.captured(5);
        EXPECT_GE(m.captured(1).toDouble(), points(topLeft.x) - slack) << m.captured(5).toStdString();
        EXPECT_GE(m.captured(2).toDouble(), points(topLeft.y) - slack) << m.captured(5).toStdString();
        EXPECT_LE(m.captured(3).toDouble(), points(bottomRight.x) + slack) << m.captured(5).toStdString();
        EXPECT_LE(m.captured(4).toDouble(), points(bottomRight.y) + slack) << m.captured(5).toStdString();
        // Left-aligned, from the top: each value starts at the field's top-left corner.
        EXPECT_NEAR(m.captured(1).toDouble(), points(topLeft.x), 1) << m.captured(5).toStdString();
        EXPECT_NEAR(m.captured(2).toDouble(), points(topLeft.y), 1) << m.captured(5).toStdString();
    }
    EXPECT_EQ(words, (QStringList{"Alpha", "Bravo", "Charlie"}));
}

}  // namespace

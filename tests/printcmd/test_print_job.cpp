// velmora-print as a user meets it: the program run on files the tests write, its exit status,
// its error line and its pages, beside what the window's printer path draws for the same record.
#include "document/FormFile.h"
#include "platform/Printer.h"
#include "print/FormSize.h"
#include "print/PageRenderer.h"
#include "print/PrintTestForm.h"
#include "printcmd/PrintJob.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
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

void writeFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
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
        writeFile(path("defaults.dat"), calibrationBytes(Calibration{}));
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
    writeFile(path("notaform.frm"), "hello");
    writeFile(path("short.dat"), "12345678");
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
        {{form, "--pdf", pdf, "--calibration", path("short.dat")}, 1, "no calibration file"},
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
    writeFile(path("records.csv"), "\"one\",\"x\"\r\n\r\ntwo;y\r\n\"three\\nlines\"\r\n");
    writeFile(path("empty.csv"), "\r\n\r\n");
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
        ASSERT_EQ(read.records[i].entries.size(), 1u);
        EXPECT_EQ(read.records[i].entries[0].value, values[i]);
        EXPECT_EQ(read.records[i].entries[0].left, 300) << "made from record 1";
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

// The window prints record 2 at 600 x 300 through printPages on the raster printer, with the
// tab's shift boxes showing the form's shift in inches to two decimals and the calibration's
// margins and factors; the program's page must be the same, pixel for pixel.
TEST_F(PrintToolTest, PngPageEqualsTheWindowsPrinterPath)
{
    const Calibration calibration{2.5, 1.25, 101.5, 98};
    writeFile(path("options.dat"), calibrationBytes(calibration));
    const ProgramRun run = runProgram({path("form.frm"), "--png", path("pages"), "--dpi", "600x300", "--with-form",
                                "--records", "2", "--calibration", path("options.dat"), "--quiet"});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_EQ(QDir(path("pages")).entryList(QDir::Files | QDir::Hidden), QStringList{"record-2.png"});

    RasterPrinter window(path("window"), QStringLiteral("page"), 600, 300);
    PageRequest request;
    request.document = &doc;
    request.withPicture = true;
    request.shiftMm = {0.20 * MmPerInch, 0.12 * MmPerInch};  // 5 mm and 3 mm as the boxes show them
    request.LinksEd = calibration.LinksEd;
    request.ObenEd = calibration.ObenEd;
    request.PrinterMmPerInchX = printerMmPerInch(calibration.BreitEd);
    request.PrinterMmPerInchY = printerMmPerInch(calibration.HochEd);
    request.dateText = todaysDateText();
    ASSERT_TRUE(printPages(window, request, {2}));

    const QImage expected = QImage(window.pageFiles().front()).convertToFormat(QImage::Format_RGB32);
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

// velmora-print onto an original PDF page, read back with poppler's own tools: the original's
// words and the values where the placement puts them, the original once, and no picture at all.
#include "document/FormFile.h"
#include "picture/PdfPages.h"
#include "print/Calibration.h"
#include "support/TestPdf.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString runTool(const QString& program, const QStringList& arguments, int* status = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (status)
        *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
}

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
};

// Every occurrence of text in pdftotext -bbox output, in points from the page's top-left corner.
std::vector<Word> wordsOf(const QString& pdf, const QString& text)
{
    const QString html = runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<Word> words;
    int page = 0;
    const QRegularExpression pattern(QStringLiteral(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = pattern.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page")))
            ++page;
        else if (m.captured(5) == text)
            words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(),
                             m.captured(4).toDouble()});
    }
    return words;
}

constexpr double kPointsPerMm = 72 / MmPerInch;

class PrintOntoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(testpdf::writeFile(path("original.pdf"), testpdf::makePdf()));
        QString error;
        const auto pdf = PdfFile::open(path("original.pdf"), &error);
        ASSERT_TRUE(pdf);
        form.picture = pdf->render(1, kPpi, {}, &error);
        setFormFromPdfPage(form, *pdf, 1);
        // An entry whose top-left corner is the first box's top-left corner, in picture pixels.
        const testpdf::Box& box = testpdf::kBoxes[0];
        RecordEntry entry;
        entry.name = "Name";
        entry.left = int32_t(box.left * kPpi / 72);
        entry.top = int32_t(box.top * kPpi / 72);
        entry.right = int32_t((box.left + box.width) * kPpi / 72);
        entry.bottom = int32_t((box.top + box.height) * kPpi / 72);
        entry.font.setSize(12);
        entry.font.faceName = "DejaVu Sans";
        for (const char* value : {"Alpha", "Bravo", "Charlie"}) {
            entry.value = value;
            form.records.push_back(FormRecord{{entry}});
        }
        ASSERT_TRUE(writeFormFile(path("form.frm").toStdString(), form));
        const auto calibration = encodeCalibration(Calibration{});
        ASSERT_TRUE(testpdf::writeFile(path("options.dat"), QByteArray(reinterpret_cast<const char*>(calibration.data()),
                                                                           qsizetype(calibration.size()))));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    int print(const QStringList& extra)
    {
        int status = -1;
        const QString output = runTool(QStringLiteral(VELMORA_PRINT_PROGRAM),
                                       QStringList{path("form.frm"), QStringLiteral("--quiet"), QStringLiteral("--calibration"),
                                                   path("options.dat")} + extra,
                                       &status);
        EXPECT_TRUE(status != 0 || output.isEmpty()) << output.toStdString();
        lastOutput = output;
        return status;
    }

    static constexpr int kPpi = 200;
    QTemporaryDir dir;
    FormDocument form;
    QString lastOutput;
};

}  // namespace

TEST_F(PrintOntoTest, ValuesLandOnTheOriginalWhereThePlacementPutsThem)
{
    for (const QStringList& way : {QStringList{"--with-form"}, QStringList{"--onto", path("original.pdf")}}) {
        ASSERT_EQ(print(QStringList{"--pdf", path("out.pdf")} + way), 0) << lastOutput.toStdString();
        const QString info = runTool(QStringLiteral("pdfinfo"), {path("out.pdf")});
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3")))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("595 x 842 pts"))) << info.toStdString();

        // The original's word on every page, exactly where it was.
        const std::vector<Word> surname = wordsOf(path("out.pdf"), QString::fromLatin1(testpdf::kWord));
        ASSERT_EQ(surname.size(), 3u);
        for (const Word& w : surname)
            EXPECT_NEAR(w.xMin, testpdf::kWordLeft, 0.01);
        // Each record's value at the box's corner: the entry's corner pixel in millimetres by the
        // form size, within a tenth of a millimetre.
        const testpdf::Box& box = testpdf::kBoxes[0];
        const double leftPt = int32_t(box.left * kPpi / 72) * form.SecondPointMm.x / form.SecondPoint.x * kPointsPerMm;
        const double topPt = int32_t(box.top * kPpi / 72) * form.SecondPointMm.y / form.SecondPoint.y * kPointsPerMm;
        int page = 0;
        for (const char* value : {"Alpha", "Bravo", "Charlie"}) {
            const std::vector<Word> words = wordsOf(path("out.pdf"), QString::fromLatin1(value));
            ASSERT_EQ(words.size(), 1u) << value;
            EXPECT_EQ(words[0].page, ++page);
            EXPECT_NEAR(words[0].xMin, leftPt, 0.1 * kPointsPerMm) << value;
            EXPECT_GE(words[0].yMin, topPt - 0.1 * kPointsPerMm) << value;
            // Below the corner by no more than the 12-point font's line.
            EXPECT_LT(words[0].yMax, topPt + 15) << value;
        }

        // No picture anywhere, the original's font and ours embedded, the original stored once.
        const QString images = runTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path("out.pdf")});
        EXPECT_EQ(images.count(u'\n'), 2) << images.toStdString();
        const QString fonts = runTool(QStringLiteral("pdffonts"), {path("out.pdf")});
        EXPECT_FALSE(fonts.contains(QRegularExpression(QStringLiteral("\\bno\\s+(yes|no)\\s+(yes|no)\\s+\\d+")))) << fonts.toStdString();
        const QString objects = runTool(QStringLiteral("qpdf"), {QStringLiteral("--show-xref"), path("out.pdf")});
        EXPECT_LT(objects.count(u'\n'), 60) << "the original is copied per page";
    }
}

TEST_F(PrintOntoTest, UnusableOriginalsAndArgumentsAreRefused)
{
    ASSERT_TRUE(testpdf::writeEncrypted(path("original.pdf"), path("locked.pdf"), QStringLiteral("pw")));
    ASSERT_TRUE(testpdf::writeFile(path("broken.pdf"), "%PDF-1.4\nnothing here\n"));
    struct Row {
        QStringList arguments;
        int status;
        const char* message;
    };
    for (const Row& r : {
             Row{{"--pdf", path("out.pdf"), "--onto", path("locked.pdf")}, 1,
                 "The PDF file \"locked.pdf\" is encrypted; open a copy without password protection."},
             Row{{"--pdf", path("out.pdf"), "--onto", path("broken.pdf")}, 1,
                 "The PDF file \"broken.pdf\" is damaged and cannot be read."},
             Row{{"--pdf", path("out.pdf"), "--onto", path("original.pdf"), "--onto-page", "3"}, 1,
                 "The PDF file \"original.pdf\" has 2 page(s), no page 3."},
             Row{{"--pdf", path("out.pdf"), "--onto-page", "2"}, 2, "--onto-page needs --onto ORIGINAL.pdf"},
             Row{{"--png", dir.path(), "--onto", path("original.pdf")}, 2, "--onto applies to --pdf only"},
         }) {
        EXPECT_EQ(print(r.arguments), r.status) << r.message;
        EXPECT_TRUE(lastOutput.contains(QString::fromUtf8(r.message))) << lastOutput.toStdString();
        EXPECT_FALSE(QFile::exists(path("out.pdf")));
    }
}

// velmora-form as a script meets it: the program run on files the tests write, its status, its
// error line, its output and the form files it writes.
#include "document/FormFile.h"
#include "imgrove/DibFiles.h"
#include "support/SmallDisk.h"
#include "support/TestPdf.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int status = -1;
    QString output;
    QString errors;
};

ProgramRun runForm(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(VELMORA_FORM_PROGRAM), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()), QString::fromLocal8Bit(process.readAllStandardError())};
}

class FormCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(testpdf::writeFile(path("form.pdf"), testpdf::makePdf()));
        Dib picture = newdib(300, 200, 8, nullptr, 0);
        ASSERT_TRUE(SaveDib(picture, path("scan.bmp").toStdString(), 3));
        deldib(picture);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    FormDocument readForm(const char* name)
    {
        FormDocument document;
        EXPECT_EQ(readFormFile(path(name).toStdString(), document), FormReadStatus::Ok);
        return document;
    }

    QTemporaryDir dir;
};

}  // namespace

TEST_F(FormCommandTest, StatusAndOneLineErrorPerMistake)
{
    struct Row {
        QStringList arguments;
        int status;
        const char* errorPart;
    };
    const std::vector<Row> rows = {
        {{}, 2, "no command given"},
        {{"bake"}, 2, "unknown command \"bake\""},
        {{"new", path("form.pdf")}, 2, "new: no form file given (-o FORM.frm)"},
        {{"new", "-o", path("x.frm")}, 2, "give exactly one picture or PDF file"},
        {{"new", path("form.pdf"), "--ppi", "99", "-o", path("x.frm")}, 2, "--ppi: \"99\" is not from 100 to 600"},
        {{"new", path("form.pdf"), "--page", "0", "-o", path("x.frm")}, 2, "--page: \"0\" is no page number"},
        {{"new", path("form.pdf"), "--size", "A4", "-o", path("x.frm")}, 2, "--size is for pictures"},
        {{"new", path("scan.bmp"), "--ppi", "200", "-o", path("x.frm")}, 2, "--page and --ppi are for PDF files"},
        {{"new", path("scan.bmp"), "--size", "A9x", "-o", path("x.frm")}, 2, "--size: \"A9x\" is not A4"},
        {{"new", path("scan.bmp"), "--frobnicate", "-o", path("x.frm")}, 2, "unknown option: --frobnicate"},
        {{"new", path("form.pdf"), "--page", "3", "-o", path("x.frm")}, 1, "has 2 page(s), no page 3."},
        {{"new", path("missing.png"), "-o", path("x.frm")}, 1, "cannot open the picture"},
        {{"new", path("form.pdf"), "-o", dir.path()}, 1, "could not be written: Is a directory."},
        {{"info"}, 2, "info: give exactly one form file"},
        {{"info", path("form.pdf")}, 1, "is no form file"},
    };
    for (const Row& row : rows) {
        const ProgramRun run = runForm(row.arguments);
        EXPECT_EQ(run.status, row.status) << row.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.errors.contains(QString::fromUtf8(row.errorPart))) << run.errors.toStdString();
        // Progress lines may come before it; the reason is one line.
        EXPECT_EQ(run.errors.count(QStringLiteral("velmora-form")), row.status == 2 ? 2 : 1) << run.errors.toStdString();
        EXPECT_FALSE(QFile::exists(path("x.frm")));
    }
    const ProgramRun help = runForm({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.output.contains("  new ") && help.output.contains("  info "));
    EXPECT_EQ(runForm({"new", "--help"}).status, 0);
}

TEST_F(FormCommandTest, AFullDiskKeepsTheOldFormAndSaysWhy)
{
    SmallDisk disk;
    const QString form = disk.path(QStringLiteral("form.frm"));
    const QStringList arguments{"new", path("scan.bmp"), "-o", form, "--quiet"};
    ASSERT_EQ(runForm(arguments).status, 0);
    const qint64 size = QFileInfo(form).size();
    // No room at all, room for half the file, and for all but its last byte.
    for (const qint64 free : {qint64(0), size / 2, size - 1}) {
        SCOPED_TRACE(free);
        {
            QFile old(form);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old form");
        }
        disk.leaveFree(size_t(free));
        const ProgramRun run = runForm(arguments);
        disk.makeRoom();
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.errors, QStringLiteral("velmora-form: The file \"%1\" could not be written: %2.\n")
                                  .arg(form, QString::fromLatin1(disk.reason())));
        QFile old(form);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), "old form");
        EXPECT_EQ(QDir(disk.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"form.frm"});
    }
}

TEST_F(FormCommandTest, NewFromAPdfPageKeepsThePageAndItsSize)
{
    const ProgramRun run = runForm({"new", path("form.pdf"), "--page", "2", "--ppi", "150", "-o", path("letter.frm")});
    ASSERT_EQ(run.status, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains("rendering page 2: 100%"));

    const FormDocument form = readForm("letter.frm");
    EXPECT_EQ(form.picture.get().header->biWidth, 1275);
    EXPECT_EQ(form.picture.get().header->biBitCount, 24);
    EXPECT_EQ(form.SecondPoint, (PointI{1275, 1650}));
    EXPECT_DOUBLE_EQ(form.SecondPointMm.x, 612 / 72.0 * MmPerInch);
    ASSERT_TRUE(form.originalPdf);
    EXPECT_EQ(form.originalPdf->page, 2);

    const ProgramRun info = runForm({"info", path("letter.frm")});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.output, "picture: 1275 x 1650 pixels, 24 bits per pixel\n"
                           "form size: point 0,0 at 0.00 x 0.00 mm, point 1275,1650 at 215.90 x 279.40 mm: valid\n"
                           "fields: 0\n"
                           "records: 0\n"
                           "extension chunks: 1\n"
                           "  OPDF " + QString::number(form.originalPdf->bytes.size() + 4)
                               + " bytes: original PDF, page 2 of 2, 215.90 x 279.40 mm\n");
}

TEST_F(FormCommandTest, NewFromAPictureTakesTheSheetSizeAsTheEasyModeDoes)
{
    ASSERT_EQ(runForm({"new", path("scan.bmp"), "--size", "100x50mm", "--quiet", "-o", path("scan.frm")}).status, 0);
    const FormDocument sized = readForm("scan.frm");
    EXPECT_EQ(sized.SecondPoint, (PointI{300, 200}));
    EXPECT_EQ(sized.SecondPointMm, (PointD{100, 50}));
    EXPECT_FALSE(sized.originalPdf);

    ASSERT_EQ(runForm({"new", path("scan.bmp"), "-o", path("plain.frm")}).status, 0);
    const FormDocument plain = readForm("plain.frm");
    EXPECT_EQ(plain.SecondPoint, (PointI{0, 0}));
    FormDocument withChunk = readForm("plain.frm");
    withChunk.otherChunks = {ExtensionChunk{"FXTR", {1, 2, 3}}};
    ASSERT_TRUE(writeFormFile(path("chunk.frm").toStdString(), withChunk));
    const ProgramRun info = runForm({"info", path("chunk.frm")});
    EXPECT_TRUE(info.output.contains("form size: point 0,0 at 1.00 x 1.00 mm, point 0,0 at 1.00 x 1.00 mm: not set"));
    EXPECT_TRUE(info.output.endsWith("extension chunks: 1\n  FXTR 3 bytes\n")) << info.output.toStdString();
}

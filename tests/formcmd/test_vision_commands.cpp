// velmora-form deskew and detect run on forms made from generated pages with known fields.
#include "GeneratedForms.h"

#include "document/FormFile.h"
#include "vision/Deskew.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct CommandRun {
    int status = -1;
    QString output;
    QString errors;
};

CommandRun runForm(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral(VELMORA_FORM_PROGRAM), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

class VisionCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        form = generatedForm(150, FormLanguage::English);
        writeForm("straight.frm", form.page, {});
        ScanMarks marks;
        marks.skewDegrees = -1.5;
        writeForm("askew.frm", scannedPage(form.page, marks), {});
        FormField existing;
        existing.left = form.fields[0].rect.left;
        existing.top = form.fields[0].rect.top;
        existing.right = form.fields[0].rect.right;
        existing.bottom = form.fields[0].rect.bottom;
        existing.name = "Surname";
        writeForm("one field.frm", form.page, {existing});
    }
    void writeForm(const char* name, const QImage& page, std::vector<FormField> fields)
    {
        FormDocument document;
        document.picture.reset(dibFromGray(page, form.pixelsPerMm));
        document.fields = std::move(fields);
        ASSERT_TRUE(writeFormFile(path(name).toStdString(), document));
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir;
    GeneratedForm form;
};

}  // namespace

TEST_F(VisionCommands, DeskewPrintsTheAngleAndWritesTheStraightenedForm)
{
    struct Row {
        const char* form;
        int status;
        double degrees;  // what stdout says
    };
    const Row rows[] = {{"straight.frm", 0, 0}, {"askew.frm", 0, -1.5}};
    for (const Row& row : rows) {
        const CommandRun run = runForm({"deskew", path(row.form), "-o", path("out.frm")});
        EXPECT_EQ(run.status, row.status) << row.form << run.errors.toStdString();
        EXPECT_TRUE(run.output.endsWith('\n'));
        EXPECT_NEAR(run.output.trimmed().toDouble(), row.degrees, 0.1) << run.output.toStdString();
        FormDocument written;
        ASSERT_EQ(readFormFile(path("out.frm").toStdString(), written), FormReadStatus::Ok);
        const SkewMeasurement after = measureSkew(written.picture.get());
        ASSERT_TRUE(after.degrees);
        EXPECT_NEAR(*after.degrees, 0, 0.1) << row.form;
    }
}

TEST_F(VisionCommands, DetectListsWritesOrRefuses)
{
    struct Row {
        QStringList arguments;
        int status;
        int proposals;       // in the JSON or the written form; -1 when not looked at
        const char* errors;  // a part of stderr
    };
    const int all = int(form.fields.size());
    const std::vector<Row> rows = {
        {{"detect", path("straight.frm"), "--json"}, 0, all, "fields found"},
        {{"detect", path("one field.frm"), "--json"}, 0, all - 1, ""},
        {{"detect", path("straight.frm"), "-o", path("detected.frm")}, 0, all, ""},
        {{"detect", path("straight.frm"), "--lang", "xyz"}, 1, -1,
         "The text recognition language \"xyz\" is not installed."},
        {{"detect"}, 2, -1, "give exactly one form file"},
    };
    for (const Row& row : rows) {
        QFile::remove(path("detected.frm"));
        const CommandRun run = runForm(row.arguments);
        EXPECT_EQ(run.status, row.status) << row.arguments.join(' ').toStdString() << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(QLatin1String(row.errors))) << run.errors.toStdString();
        if (row.proposals < 0)
            continue;
        if (row.arguments.contains("--json")) {
            const QJsonArray list = QJsonDocument::fromJson(run.output.toUtf8()).array();
            EXPECT_EQ(list.size(), row.proposals) << run.output.toStdString();
            ASSERT_FALSE(list.isEmpty());
            const QJsonObject first = list[0].toObject();
            EXPECT_TRUE(first["rect"].toObject().contains("width"));
            EXPECT_FALSE(first["name"].toString().isEmpty());
            EXPECT_FALSE(first["kind"].toString().isEmpty());
        } else {
            FormDocument written;
            ASSERT_EQ(readFormFile(path("detected.frm").toStdString(), written), FormReadStatus::Ok);
            ASSERT_EQ(int(written.fields.size()), row.proposals);
            EXPECT_EQ(written.fields[0].name, "Surname");
            EXPECT_EQ(written.fields[0].font.size, fittingFontPoints(written.fields[0].bottom - written.fields[0].top + 1,
                                                                    form.pixelsPerMm));
        }
    }
}

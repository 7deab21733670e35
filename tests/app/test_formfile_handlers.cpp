#include "app/TMainForm.h"
#include "document/FormFile.h"
#include "picture/DrawDib.h"
#include "support/ScriptedPrompts.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>

namespace {

class FormFileHandlersTest : public ::testing::Test {
protected:
    FormFileHandlersTest()
        : scripted(new ScriptedPrompts), form(QStringList{"velmora"}, std::unique_ptr<Prompts>(scripted))
    {
    }

    QString info(const char* box) const
    {
        const auto* edit = form.findChild<QLineEdit*>(box);
        return edit ? edit->text() : QString("<no %1>").arg(box);
    }

    // A form of 120 x 80 pixels at 4 bits with two fields and one record, saved by the core.
    QString savedForm(const QString& name)
    {
        FormDocument document;
        FormField& field = document.addField(FontSpec{});
        field.name = "Empf\xE4nger";
        field.right = 50;
        field.bottom = 10;
        document.addField(FontSpec{}).name = "Betrag";
        RecordEntry entry;
        entry.name = "Betrag";
        entry.value = "12,00";
        document.records.push_back(FormRecord{{entry}});
        document.picture.reset(newdib(120, 80, 4, nullptr, 0));
        setpixel(document.picture.get(), 3, 4, 9);
        document.FirstPoint = {2, 3};
        document.SecondPointMm = {100, 50};
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFormFile(QFile::encodeName(path).toStdString(), document));
        return path;
    }

    void editCurrentDocument()
    {
        form.document().addField(FontSpec{}).name = "mine";
        form.document().picture.reset(newdib(50, 60, 8, nullptr, 0));
        form.selection() = SelectionRect{5, 6, 20, 30};
        form.FieldsChanged = true;
    }

    ShownMessage onlyMessage() const
    {
        EXPECT_EQ(scripted->messages().size(), 1u);
        return scripted->messages().empty() ? ShownMessage{} : scripted->messages().front();
    }

    ScriptedPrompts* scripted;  // owned by form
    TMainForm form;
    QTemporaryDir dir;
};

std::vector<uint8_t> fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    return {data.begin(), data.end()};
}

} // namespace

TEST_F(FormFileHandlersTest, OpenAsksForAFormFileAndShowsTheOpenedForm)
{
    editCurrentDocument();
    scripted->queueOpenFile(savedForm("remittance.frm"));
    form.OpenBtnClick();

    ASSERT_EQ(scripted->fileDialogs().size(), 1u);
    const ShownFileDialog& dialog = scripted->fileDialogs()[0];
    EXPECT_EQ(dialog.kind, FileDialogKind::Open);
    EXPECT_EQ(dialog.request.filter, "Formulare|*.frm");
    EXPECT_EQ(dialog.request.defaultExt, "frm");
    EXPECT_TRUE(scripted->messages().empty());

    const FormDocument& document = form.document();
    ASSERT_EQ(document.fields.size(), 2u);
    EXPECT_EQ(document.fields[0].name, "Empf\xE4nger");
    EXPECT_EQ(document.records.size(), 1u);
    EXPECT_EQ(document.FirstPoint, (PointI{2, 3}));
    EXPECT_EQ(getpixel(document.picture.get(), 3, 4), 9u);
    EXPECT_EQ(info("BreitED"), "120 Pixel");
    EXPECT_EQ(info("HochED"), "80 Pixel");
    EXPECT_EQ(info("Tief"), "16");
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 120, 80}));
    EXPECT_FALSE(form.FieldsChanged);
    EXPECT_EQ(form.ProgressPercent, 0);
}

TEST_F(FormFileHandlersTest, CancelledOpenChangesNothing)
{
    editCurrentDocument();
    scripted->queueOpenFile(std::nullopt);
    form.OpenBtnClick();
    EXPECT_TRUE(scripted->messages().empty());
    EXPECT_EQ(form.document().fields.back().name, "mine");
    EXPECT_EQ(form.selection(), (SelectionRect{5, 6, 20, 30}));
    EXPECT_TRUE(form.FieldsChanged);
}

TEST_F(FormFileHandlersTest, FilesThatAreNotWholeFormsAreReportedAndChangeNothing)
{
    editCurrentDocument();
    const QString whole = savedForm("whole.frm");
    std::vector<uint8_t> bytes = fileBytes(whole);
    ASSERT_GT(bytes.size(), 100u);

    QFile cut(dir.filePath("cut.frm"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size() - 7));
    cut.close();
    QFile picture(dir.filePath("picture.frm"));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.write("BM6\0\0\0\0\0\0\0", 10);
    picture.close();

    for (const QString& name : {cut.fileName(), picture.fileName(), dir.filePath("missing.frm")}) {
        scripted->clear();
        scripted->queueOpenFile(name);
        form.OpenBtnClick();
        const ShownMessage message = onlyMessage();
        EXPECT_EQ(message.text, "Can not open the form file.") << name.toStdString();
        EXPECT_EQ(message.caption, "");
        EXPECT_EQ(message.icon, MsgIcon::Error);
        EXPECT_EQ(message.buttons, MsgButtons::Ok);
        ASSERT_EQ(form.document().fields.size(), 1u);
        EXPECT_EQ(form.document().fields[0].name, "mine");
        EXPECT_EQ(DibWidth(form.document().picture.get()), 50);
        EXPECT_EQ(info("BreitED"), "50 Pixel");
        EXPECT_TRUE(form.FieldsChanged) << "the fields were not replaced, so the warning is still due";
        EXPECT_EQ(form.ProgressPercent, 0);
    }
}

TEST_F(FormFileHandlersTest, MissingFileKeepsTheSelectionWhileAFileOfAnotherKindRefreshesIt)
{
    editCurrentDocument();
    scripted->queueOpenFile(dir.filePath("missing.frm"));
    form.OpenBtnClick();
    EXPECT_EQ(scripted->messageTexts(), QStringList{"Can not open the form file."});
    EXPECT_EQ(form.selection(), (SelectionRect{5, 6, 20, 30}));

    QFile other(dir.filePath("notes.frm"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("Dear Sir or Madam, ...");
    other.close();
    scripted->queueOpenFile(other.fileName());
    form.OpenBtnClick();
    EXPECT_EQ(scripted->messageTexts(), QStringList({"Can not open the form file.", "Can not open the form file."}));
    // The picture is the one the user had; the views now show all of it.
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 50, 60}));
    EXPECT_EQ(form.document().fields.back().name, "mine");
}

// Records every percentage the main window's progress bar is given.
class ProgressRecordingForm : public TMainForm {
public:
    using TMainForm::TMainForm;
    void SetProStatus(int percent) override
    {
        seen.push_back(percent);
        TMainForm::SetProStatus(percent);
    }
    std::vector<int> seen;
};

TEST_F(FormFileHandlersTest, OpeningReportsTheRowsOnTheProgressBar)
{
    auto writeForm = [&](const QString& name, int32_t height) {
        FormDocument document;
        document.picture.reset(newdib(40, height, 1, nullptr, 0));
        const QString path = dir.filePath(name);
        EXPECT_TRUE(writeFormFile(QFile::encodeName(path).toStdString(), document));
        return path;
    };
    ProgressRecordingForm watched(QStringList{"velmora"}, std::make_unique<ScriptedPrompts>());

    ASSERT_TRUE(watched.OpenFORM(writeForm("tall.frm", 201)));
    ASSERT_GE(watched.seen.size(), 3u);
    EXPECT_EQ(watched.seen.front(), 0);
    EXPECT_EQ(watched.seen.back(), 0);
    const std::vector<int> rows(watched.seen.begin() + 1, watched.seen.end() - 1);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_EQ(rows.back(), 100);
    EXPECT_NE(std::find(rows.begin(), rows.end(), 50), rows.end());  // row 100 of 0..200
    EXPECT_EQ(watched.ProgressPercent, 0);

    // A picture of one row: height - 1 is zero, and the bar stays empty.
    watched.seen.clear();
    ASSERT_TRUE(watched.OpenFORM(writeForm("flat.frm", 1)));
    EXPECT_FALSE(watched.seen.empty());
    EXPECT_EQ(std::count(watched.seen.begin(), watched.seen.end(), 0), qsizetype(watched.seen.size()));
}

TEST_F(FormFileHandlersTest, SaveAsWritesTheDocumentUnderTheChosenName)
{
    form.document().addField(FontSpec{}).name = "K\xE4\xFC" "fer";
    form.document().PrintShiftMm = {1.25, -0.5};
    const QString target = dir.filePath("K\u00e4ufer.frm");
    scripted->queueSaveFile(target);
    form.SaveAsBtnClick();

    ASSERT_EQ(scripted->fileDialogs().size(), 1u);
    const ShownFileDialog& dialog = scripted->fileDialogs()[0];
    EXPECT_EQ(dialog.kind, FileDialogKind::Save);
    EXPECT_EQ(dialog.request.filter, "Formulare|*.frm");
    EXPECT_EQ(dialog.request.defaultExt, "frm");
    EXPECT_TRUE(dialog.request.overwritePrompt);
    EXPECT_TRUE(dialog.request.hideReadOnly);
    EXPECT_TRUE(scripted->messages().empty());
    EXPECT_EQ(fileBytes(target), formFileBytes(form.document()));

    // And the handlers bring it back unchanged.
    form.document().clearFields();
    scripted->queueOpenFile(target);
    form.OpenBtnClick();
    EXPECT_TRUE(scripted->messages().empty());
    ASSERT_EQ(form.document().fields.size(), 1u);
    EXPECT_EQ(form.document().fields[0].name, "K\xE4\xFC" "fer");
    EXPECT_EQ(form.document().PrintShiftMm, (PointD{1.25, -0.5}));
}

TEST_F(FormFileHandlersTest, CancelledSaveWritesNothing)
{
    scripted->queueSaveFile(std::nullopt);
    form.SaveAsBtnClick();
    EXPECT_TRUE(scripted->messages().empty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(FormFileHandlersTest, SaveIntoAFolderThatCannotBeWrittenIsReported)
{
    scripted->queueSaveFile(dir.filePath("no such folder/form.frm"));
    form.SaveAsBtnClick();
    const ShownMessage message = onlyMessage();
    EXPECT_EQ(message.text, "Can not save the form file.");
    EXPECT_EQ(message.caption, "");
    EXPECT_EQ(message.icon, MsgIcon::Error);
    EXPECT_FALSE(QFile::exists(dir.filePath("no such folder/form.frm")));
}

TEST_F(FormFileHandlersTest, SaveThatBreaksOffKeepsTheOldFile)
{
    const QString target = savedForm("old.frm");
    const std::vector<uint8_t> old = fileBytes(target);
    form.document().picture.reset(newdib(400, 300, 24, nullptr, 0));

    // A file size limit stands in for a full disk.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlimit unlimited = limit;
    limit.rlim_cur = 8192;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    scripted->queueSaveFile(target);
    form.SaveAsBtnClick();
    setrlimit(RLIMIT_FSIZE, &unlimited);
    sigaction(SIGXFSZ, &previous, nullptr);

    const ShownMessage message = onlyMessage();
    EXPECT_EQ(message.text, QStringLiteral("The file \"%1\" could not be written: the file is too large for the disk.")
                                .arg(QDir::toNativeSeparators(target)));
    EXPECT_EQ(message.icon, MsgIcon::Error);
    EXPECT_EQ(fileBytes(target), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"old.frm"});
    EXPECT_EQ(form.ProgressPercent, 0);
}

#include "app/TMainForm.h"
#include "imgrove/DibFiles.h"
#include "picture/DrawDib.h"
#include "picture/TRetouchPage.h"
#include "picture/TScanPage.h"
#include "print/TFormSizePage.h"
#include "support/ScriptedPrompts.h"

#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class TakeInTest : public ::testing::Test {
protected:
    TakeInTest()
        : scripted(new ScriptedPrompts),
          form(QStringList{"velmora"}, std::unique_ptr<Prompts>(scripted))
    {
    }

    // The main tab control: the one with the six tabs (the form-size tab has its own).
    QTabWidget* tabs() const
    {
        for (QTabWidget* candidate : form.findChildren<QTabWidget*>())
            if (candidate->count() == 6)
                return candidate;
        return nullptr;
    }
    QString info(const char* box) const
    {
        const auto* edit = form.findChild<QLineEdit*>(box);
        return edit ? edit->text() : QString("<no %1>").arg(box);
    }
    void fillDocument()
    {
        FormDocument& doc = form.document();
        doc.addField(FontSpec{}).name = "Name";
        FormField& city = doc.addField(FontSpec{});
        city.name = "City";
        city.left = 10;
        city.right = 90;
        FormRecord record;
        record.append(EntryLayout{.font = {}, .name = "Name"}, "Anna");
        record.append(EntryLayout{.font = {}, .name = "City"}, "Graz");
        doc.records.push_back(record);
        doc.records.push_back(doc.newRecordFromFirst());
    }

    ScriptedPrompts* scripted;  // owned by form
    TMainForm form;
    QTemporaryDir dir;
};

}  // namespace

TEST_F(TakeInTest, NewPictureKeepsFieldsAndRecordsAndEndsOnSetFormSize)
{
    fillDocument();
    const std::vector<FormField> fields = form.document().fields;
    const std::vector<FormRecord> records = form.document().records;
    ASSERT_NE(tabs(), nullptr);
    tabs()->setCurrentIndex(0);

    Dib fresh = newdib(100, 400, 24, nullptr, 0);
    ASSERT_NE(fresh.bits, nullptr);
    form.takeInNewPicture(fresh);

    EXPECT_EQ(form.document().picture.get().bits, fresh.bits);
    EXPECT_EQ(form.document().fields, fields);
    EXPECT_EQ(form.document().records, records);
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_EQ(tabs()->tabText(2).remove('&'), "Set form size");
    EXPECT_EQ(info("BreitED"), "100 Pixel");
    EXPECT_EQ(info("HochED"), "400 Pixel");
    EXPECT_EQ(info("Tief"), "16777216");
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 100, 400}));
    EXPECT_TRUE(scripted->messages().empty());
}

TEST_F(TakeInTest, OpeningAPictureFileTakesItInWhole)
{
    fillDocument();
    const std::vector<FormRecord> records = form.document().records;
    {
        DibOwner source(newdib(64, 32, 8, nullptr, 0));
        ASSERT_TRUE(SaveDib(source.get(), QFile::encodeName(dir.filePath("sheet.bmp")).toStdString(), DibFormatBmp));
    }
    tabs()->setCurrentIndex(0);
    scripted->queueOpenFile(dir.filePath("sheet.bmp"));
    form.findChild<QPushButton*>("OpenBtn")->click();

    EXPECT_TRUE(scripted->messages().empty());
    EXPECT_EQ(DibWidth(form.document().picture.get()), 64);
    EXPECT_EQ(form.document().records, records);
    EXPECT_EQ(form.document().fields.size(), 2u);
    EXPECT_EQ(tabs()->currentIndex(), 2);
    EXPECT_EQ(info("BreitED"), "64 Pixel");
    EXPECT_EQ(info("HochED"), "32 Pixel");
    EXPECT_EQ(info("Tief"), "256");
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 64, 32}));
    EXPECT_EQ(form.ProgressPercent, 0);
}

TEST_F(TakeInTest, UnreadablePictureFileChangesNothing)
{
    form.takeInNewPicture(newdib(50, 60, 4, nullptr, 0));
    form.selection() = SelectionRect{5, 6, 20, 30};
    tabs()->setCurrentIndex(0);
    const uint8_t* before = form.document().picture.get().bits;

    QFile junk(dir.filePath("broken.jpg"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\xff\xd8 not really");
    junk.close();
    scripted->queueOpenFile(junk.fileName());
    form.findChild<QPushButton*>("OpenBtn")->click();

    ASSERT_EQ(scripted->messages().size(), 1u);
    EXPECT_EQ(scripted->messages()[0].text, "Can not open the file.");
    EXPECT_EQ(scripted->messages()[0].caption, "Error");
    EXPECT_EQ(scripted->messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(form.document().picture.get().bits, before);
    EXPECT_EQ(info("BreitED"), "50 Pixel");
    EXPECT_EQ(info("HochED"), "60 Pixel");
    EXPECT_EQ(info("Tief"), "16");
    EXPECT_EQ(form.selection(), (SelectionRect{5, 6, 20, 30}));
    EXPECT_EQ(tabs()->currentIndex(), 0);
}

TEST_F(TakeInTest, RetouchFileMenuSavesThePicture)
{
    form.takeInNewPicture(newdib(8, 8, 1, nullptr, 0));
    auto* save = form.findChild<QAction*>("Speichernunter1");
    ASSERT_NE(save, nullptr);
    scripted->queueSaveFile(FileChoice{dir.filePath("copy"), 3});
    save->trigger();
    ASSERT_EQ(scripted->fileDialogs().size(), 1u);
    EXPECT_EQ(scripted->fileDialogs()[0].kind, FileDialogKind::Save);
    QFile written(dir.filePath("copy.gif"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(3), QByteArray("GIF"));
}

TEST_F(TakeInTest, EasyModeHeightFollowsAnOpenedPictureButNotAScan)
{
    auto* formSize = form.findChild<TFormSizePage*>();
    ASSERT_NE(formSize, nullptr);
    formSize->AutoSverhCheck->setChecked(true);
    formSize->FBreitEdin->setValue(8.0);

    form.takeInNewPicture(newdib(200, 100, 8, nullptr, 0));
    EXPECT_DOUBLE_EQ(formSize->FBreitEdin->value(), 8.0);
    EXPECT_DOUBLE_EQ(formSize->FHochEdin->value(), 4.0);

    // A scanned picture leaves the easy-mode size alone, but everything else follows it.
    form.takeInNewPicture(newdib(100, 200, 8, nullptr, 0), TakeIn::WithoutEasySize);
    EXPECT_DOUBLE_EQ(formSize->FHochEdin->value(), 4.0);
    EXPECT_EQ(info("BreitED"), "100 Pixel");
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 100, 200}));
    EXPECT_EQ(tabs()->currentIndex(), 2);

    form.takeInNewPicture(newdib(100, 300, 8, nullptr, 0));
    EXPECT_DOUBLE_EQ(formSize->FHochEdin->value(), 24.0);
}

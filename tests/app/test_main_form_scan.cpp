#include "app/TMainForm.h"
#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "print/TFormSizePage.h"
#include "scanlink2/Scanlink2.h"
#include "support/ScriptedPrompts.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class MainFormScanTest : public ::testing::Test {
protected:
    MainFormScanTest()
        : settingsFile((setProgramSettingsFile(settingsDir.filePath("velmora.ini")), settingsDir.filePath("velmora.ini"))),
          scripted(new ScriptedPrompts), form({"velmora"}, std::unique_ptr<Prompts>(scripted))
    {
        FormDocument& doc = form.document();
        doc.addField(FontSpec{}).name = "Name";
        RecordEntry entry;
        entry.name = "Name";
        entry.value = "Anna";
        doc.records.push_back(FormRecord{{entry}});
        form.selection() = SelectionRect{5, 6, 7, 8};
        form.pageControl()->setCurrentIndex(0);
        sizePage = form.findChild<TFormSizePage*>();
        sizePage->AutoSverhCheck->setChecked(true);
        heightBefore = sizePage->FHochEdin->value();
    }
    ~MainFormScanTest() override { setProgramSettingsFile(QString()); }

    // WM_USER+1 as the scanner library posts it.
    void finishScan(intptr_t scan)
    {
        postWindowMessage(&form, kWmUser1Event, scan);
        QCoreApplication::sendPostedEvents(&form);
    }

    QTemporaryDir settingsDir;
    QString settingsFile;
    ScriptedPrompts* scripted;  // owned by form
    TMainForm form;
    TFormSizePage* sizePage = nullptr;
    double heightBefore = 0;
};

TEST_F(MainFormScanTest, AScannedPictureIsTakenInWithoutTheEasyModeSize)
{
    form.SetProStatus(100);
    finishScan(keepFinishedScan(newdib(300, 600, 8, nullptr, 0)));

    const FormDocument& doc = form.document();
    EXPECT_EQ(doc.picture.get().header->biWidth, 300);
    EXPECT_EQ(doc.picture.get().header->biHeight, 600);
    ASSERT_EQ(doc.fields.size(), 1u);
    EXPECT_EQ(doc.records[0].value(0), "Anna");
    EXPECT_EQ(form.findChild<QLineEdit*>("BreitED")->text(), "300 Pixel");
    EXPECT_EQ(form.findChild<QLineEdit*>("HochED")->text(), "600 Pixel");
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 300, 600}));
    EXPECT_EQ(form.pageControl()->currentIndex(), 2);
    // With "Maintain aspect ratio" an opened picture would make the height twice the width.
    EXPECT_EQ(sizePage->FHochEdin->value(), heightBefore);
    EXPECT_EQ(form.ProgressPercent, 100);
    EXPECT_TRUE(scripted->messages().empty());
}

TEST_F(MainFormScanTest, AFinishedScanWithoutPictureChangesNothing)
{
    const uint8_t* pixels = form.document().picture.get().bits;
    finishScan(987654);
    EXPECT_EQ(form.document().picture.get().bits, pixels);
    EXPECT_EQ(form.selection(), (SelectionRect{5, 6, 7, 8}));
    EXPECT_EQ(form.pageControl()->currentIndex(), 0);
    EXPECT_TRUE(scripted->messages().empty());
}

}  // namespace

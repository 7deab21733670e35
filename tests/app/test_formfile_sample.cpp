#include "app/TMainForm.h"
#include "picture/DrawDib.h"
#include "platform/Settings.h"
#include "print/FormSize.h"
#include "support/ScriptedPrompts.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The sample form that scripts/run opens when started without arguments.
TEST(SampleFormTest, OpensWithAValidA4FormSizeAndFieldsInsideThePicture)
{
    auto* scripted = new ScriptedPrompts;
    TMainForm form(QStringList{"velmora"}, std::unique_ptr<Prompts>(scripted));
    ASSERT_TRUE(form.OpenFORM(QString(VELMORA_SOURCE_DIR) + "/examples/sample.frm"));
    EXPECT_TRUE(scripted->messages().empty());

    const FormDocument& document = form.document();
    const Dib& picture = document.picture.get();
    EXPECT_EQ(DibWidth(picture), 827);
    EXPECT_EQ(DibHeight(picture), 1169);
    EXPECT_EQ(DibBitCount(picture), 4);
    for (int i = 0; i < 16; ++i) {
        const RGBQUAD colour = dibColors(picture)[i];
        EXPECT_EQ(colour.rgbRed, colour.rgbGreen) << i;
        EXPECT_EQ(colour.rgbGreen, colour.rgbBlue) << i;
    }
    EXPECT_EQ(form.findChild<QLineEdit*>("BreitED")->text(), "827 Pixel");

    const OrderedFormSize size = orderFormSize(document);
    EXPECT_EQ(checkFormSize(size, DibWidth(picture), DibHeight(picture)).verdict, FormSizeVerdict::Ok);
    EXPECT_EQ(document.FirstPointMm, (PointD{0, 0}));
    EXPECT_EQ(document.SecondPointMm, (PointD{210, 297}));

    ASSERT_GE(document.fields.size(), 5u);
    for (const FormField& field : document.fields) {
        EXPECT_LT(field.left, field.right) << field.name;
        EXPECT_LT(field.top, field.bottom) << field.name;
        EXPECT_GE(field.left, 0) << field.name;
        EXPECT_LT(field.right, DibWidth(picture)) << field.name;
        EXPECT_LT(field.bottom, DibHeight(picture)) << field.name;
        // A field lies on white paper inside a drawn box, not on a line.
        EXPECT_EQ(getpixel(picture, (field.left + field.right) / 2, field.bottom), 15u) << field.name;
    }
    ASSERT_EQ(document.records.size(), 2u);
    for (const FormRecord& record : document.records) {
        ASSERT_EQ(record.size(), document.fields.size());
        for (size_t i = 0; i < record.size(); ++i)
            EXPECT_EQ(record.layout(i).name, document.fields[i].name);
    }
    EXPECT_TRUE(document.records[0].value(0).has_value());
}

TEST(SampleFormTest, FormNamedOnTheCommandLineOpensAtTheFirstShowingOnly)
{
    const QString sample = QString(VELMORA_SOURCE_DIR) + "/examples/sample.frm";
    QTemporaryDir settingsDir;
    setProgramSettingsFile(settingsDir.filePath("velmora.ini"));
    auto* scripted = new ScriptedPrompts;
    TMainForm form(QStringList{"velmora", sample}, std::unique_ptr<Prompts>(scripted));
    EXPECT_EQ(DibWidth(form.document().picture.get()), 320);  // not before the window shows

    form.show();
    EXPECT_TRUE(scripted->messages().empty());
    EXPECT_EQ(DibWidth(form.document().picture.get()), 827);
    EXPECT_EQ(form.findChild<QLineEdit*>("HochED")->text(), "1169 Pixel");

    // Showing the window again does not read the file again over the user's work.
    form.document().clearFields();
    form.hide();
    form.show();
    EXPECT_TRUE(form.document().fields.empty());
    setProgramSettingsFile(QString());
}

// The "Scan" tab's "Colors..." and "Size..." buttons with their dialogs.
#include "picture/DrawDib.h"
#include "picture/TDepthForms.h"
#include "picture/TResizeForm.h"
#include "picture/TScanPage.h"
#include "platform/Settings.h"
#include "support/TestFormHost.h"

#include "RetouchTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

class ScanColorsSizeTest : public ::testing::Test {
protected:
    ScanColorsSizeTest() { setProgramSettingsFile(settingsDir.filePath("velmora.ini")); }
    ~ScanColorsSizeTest() override { setProgramSettingsFile({}); }

    QTemporaryDir settingsDir;
    TestFormHost host;
    TScanPage page{host};

    const Dib& picture() { return host.doc.picture.get(); }
    // Picks a ColorBox item; then, when a reduction asks, acts on the second dialog.
    void changeColors(int item, std::function<void(TDepthDownForm&)> reduce = {})
    {
        QTimer::singleShot(0, [this, item, reduce] {
            page.DepthChangeForm->ColorBox->setCurrentIndex(item);
            if (reduce) {
                QTimer::singleShot(0, [this, reduce] {
                    reduce(*page.DepthDownForm);
                    page.DepthDownForm->OkBtn->click();
                });
            }
            page.DepthChangeForm->OkBtn->click();
        });
        page.FTiefeBtnClick();
    }
    long distinctPixels()
    {
        std::vector<uint32_t> pixels = pixelsOf(picture());
        std::sort(pixels.begin(), pixels.end());
        return std::unique(pixels.begin(), pixels.end()) - pixels.begin();
    }
};

struct Enabled {
    bool palettes, dither, functions, windows;
    bool operator==(const Enabled&) const = default;
};

Enabled enabledOf(const TDepthDownForm& form)
{
    EXPECT_EQ(form.OptPalCheck->isEnabled(), form.StdPalCheck->isEnabled());
    EXPECT_EQ(form.FSErrCheck->isEnabled(), form.NearCheck->isEnabled());
    return {form.OptPalCheck->isEnabled(), form.DitherCheck->isEnabled(), form.FSErrCheck->isEnabled(),
            form.WinColCheck->isEnabled()};
}

}  // namespace

TEST_F(ScanColorsSizeTest, ButtonsAndDialogCaptions)
{
    EXPECT_EQ(page.FTiefeBtn->text(), "Colors...");
    EXPECT_EQ(page.FTiefeBtn->toolTip(), "Change the number of colors");
    EXPECT_EQ(page.SizeBtn->text(), "Size...");
    EXPECT_EQ(page.SizeBtn->toolTip(), "Change the size of the picture ");
    EXPECT_EQ(page.DepthChangeForm->windowTitle(), "Cange color count");
    EXPECT_EQ(page.DepthDownForm->windowTitle(), "Less colors");
    EXPECT_EQ(page.ResizeForm->windowTitle(), "Change size");
    EXPECT_EQ(page.DepthChangeForm->ColorBox->itemText(3), "24 bit - 16,7 million colors");
}

TEST_F(ScanColorsSizeTest, ReductionDialogEnablingRules)
{
    TDepthDownForm& form = *page.DepthDownForm;
    EXPECT_TRUE(form.OptPalCheck->isChecked());
    EXPECT_TRUE(form.FSErrCheck->isChecked());
    EXPECT_TRUE(form.WinColCheck->isChecked());
    struct Row {
        int bits;
        bool optimized;
        Enabled expected;
        bool eightBit;
    };
    for (const Row& row : {Row{1, true, {false, false, true, false}, false}, Row{4, true, {true, false, true, false}, false},
                           Row{8, true, {true, false, true, true}, true}, Row{8, false, {true, true, true, true}, true}}) {
        (row.optimized ? form.OptPalCheck : form.StdPalCheck)->setChecked(true);
        form.prepare(row.bits);
        EXPECT_EQ(enabledOf(form), row.expected) << row.bits << " bits";
        EXPECT_EQ(form.eightBit, row.eightBit);
    }

    // With the 8-bit flag on, the palette radios move the ordered dithering and the Windows colours.
    form.DitherCheck->setChecked(true);
    form.OptPalCheck->click();
    EXPECT_FALSE(form.DitherCheck->isEnabled());
    EXPECT_TRUE(form.WinColCheck->isEnabled());
    EXPECT_TRUE(form.FSErrCheck->isChecked());
    form.StdPalCheck->click();
    EXPECT_TRUE(form.DitherCheck->isEnabled());
    EXPECT_FALSE(form.WinColCheck->isEnabled());
    form.prepare(4);
    form.StdPalCheck->click();
    EXPECT_FALSE(form.DitherCheck->isEnabled());
    EXPECT_FALSE(form.WinColCheck->isEnabled());
}

TEST_F(ScanColorsSizeTest, TheCurrentDepthIsPreselectedAndChangesNothing)
{
    host.doc.picture.reset(pictureOf(8, 8, 4, [](int32_t x, int32_t) { return uint32_t(x); }));
    int preselected = -1;
    QTimer::singleShot(0, [&] {
        preselected = page.DepthChangeForm->ColorBox->currentIndex();
        page.DepthChangeForm->OkBtn->click();
    });
    page.FTiefeBtnClick();
    EXPECT_EQ(preselected, 1);
    EXPECT_EQ(picture().header->biBitCount, 4);
    EXPECT_TRUE(host.progress.empty());
}

TEST_F(ScanColorsSizeTest, RaisingAndLoweringShowTheNewColourCountOnly)
{
    host.doc.picture.reset(pictureOf(16, 16, 24, [](int32_t, int32_t) { return rgb(100, 100, 100); }));
    host.sel = SelectionRect{1, 2, 3, 4};
    changeColors(2, [](TDepthDownForm& form) {
        form.StdPalCheck->click();
        form.DitherCheck->setChecked(true);
    });
    EXPECT_EQ(picture().header->biBitCount, 8);
    EXPECT_EQ(page.Tief->text(), "256");
    EXPECT_EQ(page.BreitED->text(), "320 Pixels");
    EXPECT_EQ(host.sel, (SelectionRect{1, 2, 3, 4}));
    EXPECT_EQ(host.progress.front(), 0);
    EXPECT_EQ(host.progress.back(), 0);

    // The ordered dithering left checked: to 4 bits it is nearest colour (one flat index) ...
    host.doc.picture.reset(pictureOf(16, 16, 24, [](int32_t, int32_t) { return rgb(100, 100, 100); }));
    changeColors(1, [](TDepthDownForm& form) { EXPECT_TRUE(form.DitherCheck->isChecked()); });
    EXPECT_EQ(page.Tief->text(), "16");
    EXPECT_EQ(distinctPixels(), 1);
    // ... and to 1 bit it is Floyd-Steinberg (a pattern of both).
    changeColors(0, [](TDepthDownForm&) {});
    EXPECT_EQ(page.Tief->text(), "2");
    EXPECT_EQ(distinctPixels(), 2);

    changeColors(3);
    EXPECT_EQ(picture().header->biBitCount, 24);
    EXPECT_EQ(page.Tief->text(), "16777216");
}

TEST_F(ScanColorsSizeTest, KeepingTheAspectRatioWhileTyping)
{
    TResizeForm& form = *page.ResizeForm;
    form.setPictureSize(400, 300);
    form.BreitEdit->setValue(200);
    EXPECT_EQ(form.HochEdit->value(), 150);
    form.HochEdit->setValue(30);
    EXPECT_EQ(form.BreitEdit->value(), 40);
    // The same height again: the next width still carries the height along.
    form.BreitEdit->setValue(41);
    EXPECT_EQ(form.HochEdit->value(), 30);
    form.BreitEdit->setValue(80);
    EXPECT_EQ(form.HochEdit->value(), 60);

    form.SverhCheck->setChecked(false);
    form.BreitEdit->setValue(100);
    EXPECT_EQ(form.HochEdit->value(), 60);
    form.SverhCheck->click();
    EXPECT_EQ(form.HochEdit->value(), 75);
}

TEST_F(ScanColorsSizeTest, ResizingTakesTheNewSizeAndTheFormSizeFollows)
{
    host.doc.picture.reset(pictureOf(40, 30, 8, [](int32_t x, int32_t) { return uint32_t(x); }));
    bool interpolEnabled = true;
    QTimer::singleShot(0, [&] {
        interpolEnabled = page.ResizeForm->InterpolCheck->isEnabled();
        page.ResizeForm->SverhCheck->setChecked(false);
        page.ResizeForm->BreitEdit->setValue(20);
        page.ResizeForm->HochEdit->setValue(10);
        page.ResizeForm->OkBtn->click();
    });
    page.SizeBtnClick();
    EXPECT_FALSE(interpolEnabled);
    EXPECT_EQ(DibWidth(picture()), 20);
    EXPECT_EQ(DibHeight(picture()), 10);
    EXPECT_EQ(getpixel(picture(), 7, 0), 14u);
    EXPECT_EQ(host.sel, (SelectionRect{0, 0, 20, 10}));
    EXPECT_EQ(page.BreitED->text(), "20 Pixel");
    EXPECT_EQ(page.HochED->text(), "10 Pixel");
    EXPECT_EQ(host.pictureChanges, std::vector<PictureChange>{PictureChange::Proportions});

    // The checks come back in the next run; Cancel leaves the picture alone.
    TResizeForm again;
    EXPECT_FALSE(again.SverhCheck->isChecked());
    QTimer::singleShot(0, [&] { page.ResizeForm->CancelBtn->click(); });
    page.SizeBtnClick();
    EXPECT_EQ(DibWidth(picture()), 20);
    EXPECT_EQ(host.pictureChanges, std::vector<PictureChange>{PictureChange::Proportions});
}

#include "host/FormHost.h"
#include "imgrove/DibFiles.h"
#include "picture/DrawDib.h"
#include "picture/PdfPages.h"
#include "picture/TPdfPageForm.h"
#include "picture/TRetouchPage.h"
#include "picture/TScanPage.h"
#include "platform/HoverImageButton.h"
#include "support/ScriptedPrompts.h"
#include "support/TestFormHost.h"
#include "support/TestPdf.h"
#include "support/TestPictures.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

constexpr uint32_t kRed = 0x0000ff;   // red + 256 * green + 65536 * blue
constexpr uint32_t kBlue = 0xff0000;

// A 24-bit picture, red in its upper half and blue in its lower half.
Dib twoColourPicture(int32_t width, int32_t height)
{
    return pictureOf(width, height, 24, [height](int32_t, int32_t y) { return y < height / 2 ? kRed : kBlue; });
}

QByteArray fileHead(const QString& name, int count)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(count);
}

std::string local(const QString& name) { return QFile::encodeName(name).toStdString(); }

class ScanPageTest : public ::testing::Test {
protected:
    TestFormHost host;
    TScanPage page{host};
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    // Puts a picture in the document the way taking it in would, so the boxes show it.
    void usePicture(Dib dib)
    {
        host.doc.picture.reset(dib);
        page.showPictureInfo();
    }
};

}  // namespace

TEST_F(ScanPageTest, ControlsShowTheirCaptionsHintsAndDesignTexts)
{
    EXPECT_EQ(page.OpenBtn->text(), "Open picture...");
    EXPECT_EQ(page.OpenBtn->toolTip(), "Opens a scanned form from hard disk.");
    EXPECT_EQ(page.SaveBtn->text(), "Save picture as...");
    EXPECT_EQ(page.SaveBtn->toolTip(), "Save the picture in a file");
    EXPECT_EQ(page.BreitED->toolTip(), "Width of the picture");
    EXPECT_EQ(page.HochED->toolTip(), "Height of the picture");
    EXPECT_EQ(page.Tief->toolTip(), "Number of colors");
    EXPECT_EQ(page.PrevPaintBox->toolTip(), "Preview of the picture");
    EXPECT_EQ(page.ScanBtn->toolTip(), "Start user interface");
    EXPECT_EQ(page.TSetupBtn->toolTip(), "Select scanner");
    EXPECT_FALSE(page.ScanBtn->size().isEmpty());
    EXPECT_FALSE(page.TSetupBtn->size().isEmpty());

    EXPECT_EQ(page.BreitED->text(), "320 Pixels");
    EXPECT_EQ(page.HochED->text(), "200 Pixels");
    EXPECT_EQ(page.Tief->text(), "256");
    EXPECT_TRUE(page.BreitED->isReadOnly());
    EXPECT_TRUE(page.HochED->isReadOnly());
    EXPECT_TRUE(page.Tief->isReadOnly());
}

TEST_F(ScanPageTest, InformationFollowsThePicture)
{
    usePicture(newdib(2480, 3508, 24, nullptr, 0));
    EXPECT_EQ(page.BreitED->text(), "2480 Pixel");
    EXPECT_EQ(page.HochED->text(), "3508 Pixel");
    EXPECT_EQ(page.Tief->text(), "16777216");

    usePicture(newdib(17, 5, 1, nullptr, 0));
    EXPECT_EQ(page.BreitED->text(), "17 Pixel");
    EXPECT_EQ(page.HochED->text(), "5 Pixel");
    EXPECT_EQ(page.Tief->text(), "2");
}

TEST_F(ScanPageTest, OpenDialogOffersTheReadableFormatsAndCancelChangesNothing)
{
    const uint8_t* before = host.doc.picture.get().bits;
    host.scripted.queueOpenFile(std::nullopt);
    page.OpenBtn->click();

    ASSERT_EQ(host.scripted.fileDialogs().size(), 1u);
    const ShownFileDialog& shown = host.scripted.fileDialogs()[0];
    EXPECT_EQ(shown.kind, FileDialogKind::Open);
    // The picture formats as the picture library names them, and PDF files beside them.
    QString withoutPdf = shown.request.filter;
    withoutPdf.remove(QStringLiteral(";*.pdf")).remove(QStringLiteral("|PDF files (*.pdf)|*.pdf"));
    EXPECT_EQ(withoutPdf, QString::fromStdString(GetDIBOpenFilter()));
    EXPECT_TRUE(shown.request.filter.startsWith(QStringLiteral("All picture files|*.bmp;")));
    EXPECT_TRUE(shown.request.filter.contains(QStringLiteral(";*.tiff;*.pdf|")));
    EXPECT_TRUE(shown.request.filter.endsWith(QStringLiteral("|PDF files (*.pdf)|*.pdf|All files (*.*)|*.*")));
    EXPECT_TRUE(shown.request.defaultExt.isEmpty());
    EXPECT_TRUE(host.scripted.messages().empty());
    EXPECT_TRUE(host.takenIn.empty());
    EXPECT_EQ(host.doc.picture.get().bits, before);
}

TEST_F(ScanPageTest, UnreadableFileKeepsPictureInformationAndSelection)
{
    usePicture(newdib(64, 48, 8, nullptr, 0));
    host.sel = SelectionRect{3, 4, 30, 40};
    const uint8_t* before = host.doc.picture.get().bits;

    QFile junk(path("notapicture.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is no picture at all");
    junk.close();
    host.scripted.queueOpenFile(junk.fileName());
    page.OpenPicBtnClick();

    ASSERT_EQ(host.scripted.messages().size(), 1u);
    const ShownMessage& shown = host.scripted.messages()[0];
    EXPECT_EQ(shown.text, "Can not open the file.");
    EXPECT_EQ(shown.caption, "Error");
    EXPECT_EQ(shown.icon, MsgIcon::Error);
    EXPECT_EQ(shown.buttons, MsgButtons::Ok);

    EXPECT_TRUE(host.takenIn.empty());
    EXPECT_EQ(host.doc.picture.get().bits, before);
    EXPECT_EQ(page.BreitED->text(), "64 Pixel");
    EXPECT_EQ(page.HochED->text(), "48 Pixel");
    EXPECT_EQ(page.Tief->text(), "256");
    EXPECT_EQ(host.sel, (SelectionRect{3, 4, 30, 40}));

    host.scripted.clear();
    host.scripted.queueOpenFile(path("missing.bmp"));
    page.OpenPicBtnClick();
    EXPECT_EQ(host.scripted.messageTexts(), QStringList{"Can not open the file."});
    EXPECT_EQ(host.doc.picture.get().bits, before);
}

TEST_F(ScanPageTest, OpenedPictureIsTakenInWholeAndProgressIsCleared)
{
    {
        DibOwner source(twoColourPicture(100, 400));
        ASSERT_TRUE(SaveDib(source.get(), local(path("form.bmp")), DibFormatBmp));
    }
    host.scripted.queueOpenFile(path("form.bmp"));
    page.OpenPicBtnClick();

    EXPECT_TRUE(host.scripted.messages().empty());
    ASSERT_EQ(host.takenIn.size(), 1u);
    EXPECT_EQ(host.takenIn[0], TakeIn::Full);
    const Dib& picture = host.doc.picture.get();
    EXPECT_EQ(DibWidth(picture), 100);
    EXPECT_EQ(DibHeight(picture), 400);
    EXPECT_EQ(getpixel(picture, 50, 10), kRed);
    EXPECT_EQ(getpixel(picture, 50, 390), kBlue);
    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(host.progress.front(), 0);
    EXPECT_EQ(host.progress.back(), 0);
}

TEST_F(ScanPageTest, SaveDialogOffersTheElevenFormatsWithoutDefaultsOfItsOwn)
{
    host.scripted.queueSaveFile(std::nullopt);
    page.SaveBtn->click();

    ASSERT_EQ(host.scripted.fileDialogs().size(), 1u);
    const ShownFileDialog& shown = host.scripted.fileDialogs()[0];
    EXPECT_EQ(shown.kind, FileDialogKind::Save);
    EXPECT_EQ(shown.request.filter, QString::fromStdString(GetDIBSaveFilter()));
    EXPECT_TRUE(shown.request.defaultExt.isEmpty());
    EXPECT_FALSE(shown.request.overwritePrompt);
    EXPECT_TRUE(host.scripted.messages().empty());
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(ScanPageTest, SaveAppendsTheFiltersExtensionAndWritesItsFormat)
{
    usePicture(twoColourPicture(40, 30));
    host.scripted.queueSaveFile(FileChoice{path("form"), 6});
    page.SaveBtnClick();

    EXPECT_TRUE(host.scripted.messages().empty());
    EXPECT_FALSE(QFileInfo::exists(path("form")));
    ASSERT_TRUE(QFileInfo::exists(path("form.jpg")));
    EXPECT_EQ(fileHead(path("form.jpg"), 3), QByteArray("\xff\xd8\xff"));

    host.scripted.queueSaveFile(FileChoice{path("x.bmp"), 11});
    page.SaveBtnClick();
    EXPECT_TRUE(host.scripted.messages().empty());
    ASSERT_TRUE(QFileInfo::exists(path("x.bmp")));
    EXPECT_FALSE(QFileInfo::exists(path("x.bmp.tif")));
    const QByteArray head = fileHead(path("x.bmp"), 4);
    EXPECT_TRUE(head == QByteArray("II*\0", 4) || head == QByteArray("MM\0*", 4)) << head.toHex().constData();

    // The saved picture reads back as the one in the document.
    DibOwner back(OpenDib(local(path("x.bmp")), DibFormatAuto));
    ASSERT_TRUE(back);
    EXPECT_EQ(DibWidth(back.get()), 40);
    EXPECT_EQ(getpixel(back.get(), 0, 0), kRed);
    EXPECT_EQ(getpixel(back.get(), 39, 29), kBlue);
}

TEST_F(ScanPageTest, SaveDialogReopensWithTheLastFormat)
{
    host.scripted.queueSaveFile(FileChoice{path("a"), 8});
    page.SaveBtnClick();
    host.scripted.queueSaveFile(std::nullopt);
    page.SaveBtnClick();
    ASSERT_EQ(host.scripted.fileDialogs().size(), 2u);
    EXPECT_EQ(host.scripted.fileDialogs()[0].request.filterIndex, 1);
    EXPECT_EQ(host.scripted.fileDialogs()[1].request.filterIndex, 8);
    EXPECT_EQ(host.scripted.fileDialogs()[1].request.fileName, path("a.pcx"));
}

TEST_F(ScanPageTest, ReplacingAnExistingFileIsAskedFirst)
{
    QFile existing(path("old.bmp"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("keep me");
    existing.close();

    host.scripted.queueSaveFile(FileChoice{path("old"), 1});
    host.scripted.queueAnswer(MsgAnswer::No);
    page.SaveBtnClick();
    ASSERT_EQ(host.scripted.messages().size(), 1u);
    EXPECT_EQ(host.scripted.messages()[0].text,
              QDir::toNativeSeparators(path("old.bmp")) + " already exists.\nDo you want to replace it?");
    EXPECT_EQ(host.scripted.messages()[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(host.scripted.messages()[0].icon, MsgIcon::Warning);
    EXPECT_TRUE(host.scripted.messages()[0].caption.isEmpty());
    EXPECT_EQ(fileHead(path("old.bmp"), 100), QByteArray("keep me"));

    host.scripted.clear();
    host.scripted.queueSaveFile(FileChoice{path("old"), 1});
    host.scripted.queueAnswer(MsgAnswer::Yes);
    page.SaveBtnClick();
    EXPECT_EQ(host.scripted.messages().size(), 1u);
    EXPECT_EQ(fileHead(path("old.bmp"), 2), QByteArray("BM"));
}

TEST_F(ScanPageTest, FailedSaveSaysSo)
{
    // A folder below a plain file can't be written by anyone, root included, unlike a
    // write-protected folder.
    QFile plain(path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    host.scripted.queueSaveFile(FileChoice{path("plain/form.bmp"), 1});
    page.SaveBtnClick();
    ASSERT_EQ(host.scripted.messages().size(), 1u);
    const ShownMessage& shown = host.scripted.messages()[0];
    EXPECT_EQ(shown.text, "Can not save the file.");
    EXPECT_EQ(shown.caption, "");
    EXPECT_EQ(shown.icon, MsgIcon::Error);
    EXPECT_EQ(shown.buttons, MsgButtons::Ok);
    EXPECT_EQ(host.progress.back(), 0);
}

TEST_F(ScanPageTest, ThumbnailFillsTheBoxHeightForATallPictureAndLeavesTheRest)
{
    usePicture(twoColourPicture(100, 400));
    page.PrevPaintBox->setFixedSize(433, 169);
    const QImage shot = page.PrevPaintBox->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(433, 169));

    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(41, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(41, 83), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(41, 86), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(0, 168), QColor(Qt::blue));
    for (int y : {0, 100, 168}) {
        EXPECT_NE(shot.pixelColor(42, y), QColor(Qt::red)) << y;
        EXPECT_NE(shot.pixelColor(42, y), QColor(Qt::blue)) << y;
        EXPECT_NE(shot.pixelColor(432, y), QColor(Qt::blue)) << y;
    }
}

TEST_F(ScanPageTest, ThumbnailOfAWidePictureIsNotCentred)
{
    usePicture(twoColourPicture(300, 100));
    page.PrevPaintBox->setFixedSize(433, 169);
    const QImage shot = page.PrevPaintBox->grab().toImage();

    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(432, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(432, 143), QColor(Qt::blue));
    EXPECT_NE(shot.pixelColor(432, 144), QColor(Qt::blue));
    EXPECT_NE(shot.pixelColor(0, 168), QColor(Qt::blue));
}

TEST(RetouchPage, FileMenuOpensBelowTheButtonAndSavesThroughTheScanTab)
{
    TestFormHost host;
    TScanPage scan(host);
    TRetouchPage retouch(host);
    retouch.setSavePictureAction([&scan] { scan.SaveBtnClick(); });
    retouch.move(120, 80);
    retouch.resize(400, 300);
    retouch.show();

    EXPECT_EQ(retouch.DateiButton->text(), "File");
    EXPECT_EQ(retouch.DateiButton->toolTip(), "File menu");
    EXPECT_EQ(retouch.Speichernunter1->text(), "Save as...");
    EXPECT_EQ(retouch.Speichernunter1->toolTip(), "Save picture");
    EXPECT_EQ(retouch.DateiPopup->actions(), QList<QAction*>{retouch.Speichernunter1});

    EXPECT_FALSE(retouch.DateiPopup->isVisible());
    retouch.DateiButton->click();
    ASSERT_TRUE(retouch.DateiPopup->isVisible());
    const QPoint corner = retouch.DateiButton->mapToGlobal(QPoint(0, retouch.DateiButton->height()));
    EXPECT_EQ(retouch.DateiPopup->pos(), corner);
    retouch.DateiPopup->hide();

    QTemporaryDir dir;
    host.scripted.queueSaveFile(FileChoice{dir.filePath("retouched"), 1});
    retouch.Speichernunter1->trigger();
    ASSERT_EQ(host.scripted.fileDialogs().size(), 1u);
    EXPECT_EQ(host.scripted.fileDialogs()[0].kind, FileDialogKind::Save);
    EXPECT_EQ(host.scripted.fileDialogs()[0].request.filter, QString::fromStdString(GetDIBSaveFilter()));
    EXPECT_EQ(fileHead(dir.filePath("retouched.bmp"), 2), QByteArray("BM"));
}

// A PDF opened as the picture: the page and resolution chosen in the dialog, the form size from
// the page, the PDF kept in the form, and two steps to undo; a cancelled dialog or a file that
// cannot be read changes nothing.
TEST_F(ScanPageTest, PdfPageBecomesThePictureWithItsFormSize)
{
    struct Row {
        const char* name;
        QByteArray bytes;
        int pages = 1;      // in the file
        int page = 1;       // 0: the dialog is cancelled
        int ppi = 200;
        int width = 0;      // the picture's pixels; 0 when nothing is taken in
        int height = 0;
        int bitCount = 0;
        const char* message = nullptr;
    };
    const Row rows[] = {
        {.name = "A4 page at the default resolution", .bytes = testpdf::makePdf(1), .width = 1653, .height = 2339,
         .bitCount = 8},
        {.name = "Letter page with colour at 100 ppi", .bytes = testpdf::makePdf(2), .pages = 2, .page = 2, .ppi = 100,
         .width = 850, .height = 1100, .bitCount = 24},
        {.name = "cancelled", .bytes = testpdf::makePdf(2), .pages = 2, .page = 0},
        {.name = "damaged", .bytes = testpdf::makePdf(1).left(300),
         .message = "The PDF file \"form.pdf\" is damaged and cannot be read."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestFormHost host;
        TScanPage page{host};
        host.doc.picture.reset(twoColourPicture(64, 48));
        host.doc.FirstPoint = {3, 4};
        host.doc.SecondPoint = {60, 40};
        const uint8_t* before = host.doc.picture.get().bits;
        ASSERT_TRUE(testpdf::writeFile(path("form.pdf"), row.bytes));
        host.scripted.queueOpenFile(path("form.pdf"));
        QTimer::singleShot(0, [&] {
            TPdfPageForm& form = *page.PdfPageForm;
            // The page is asked for only when there is a choice.
            EXPECT_EQ(form.PageEdit->isVisibleTo(&form), form.PageEdit->maximum() > 1);
            EXPECT_EQ(form.PageEdit->maximum(), row.pages);
            EXPECT_EQ(form.PpiEdit->value(), kPdfDefaultPpi);
            if (row.page == 0) {
                form.CancelBtn->click();
                return;
            }
            form.PageEdit->setValue(row.page);
            form.PpiEdit->setValue(row.ppi);
            form.OkBtn->click();
        });
        page.OpenPicBtnClick();

        if (row.message)
            EXPECT_EQ(host.scripted.messageTexts(), QStringList{QString::fromUtf8(row.message)});
        else
            EXPECT_TRUE(host.scripted.messages().empty());
        if (row.width == 0) {
            EXPECT_TRUE(host.takenIn.empty());
            EXPECT_EQ(host.doc.picture.get().bits, before);
            EXPECT_EQ(host.doc.SecondPoint, (PointI{60, 40}));
            EXPECT_FALSE(host.doc.originalPdf);
            continue;
        }
        const Dib& picture = host.doc.picture.get();
        EXPECT_EQ(DibWidth(picture), row.width);
        EXPECT_EQ(DibHeight(picture), row.height);
        EXPECT_EQ(picture.header->biBitCount, row.bitCount);
        EXPECT_EQ(host.takenIn, std::vector<TakeIn>{TakeIn::Full});
        EXPECT_EQ(host.doc.FirstPoint, (PointI{0, 0}));
        EXPECT_EQ(host.doc.SecondPoint, (PointI{row.width, row.height}));
        EXPECT_EQ(host.formSizeReplacements, 1);
        ASSERT_TRUE(host.doc.originalPdf);
        EXPECT_EQ(host.doc.originalPdf->page, row.page);
        EXPECT_EQ(host.doc.originalPdf->bytes.size(), size_t(row.bytes.size()));
        ASSERT_FALSE(host.progress.empty());
        EXPECT_EQ(host.progress.back(), 0);

        // Undo takes back the form size first, then the picture.
        host.undo.stack().undo();
        EXPECT_EQ(host.doc.SecondPoint, (PointI{60, 40}));
        EXPECT_EQ(DibWidth(host.doc.picture.get()), row.width);
        host.undo.stack().undo();
        EXPECT_EQ(DibWidth(host.doc.picture.get()), 64);
    }
}

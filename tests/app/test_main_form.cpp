#include "app/TAboutBox.h"
#include "app/TMainForm.h"
#include "app/TStatusProgress.h"
#include "platform/HoverImageButton.h"
#include "platform/ProgramPictures.h"
#include "platform/Settings.h"
#include "platform/Shell.h"
#include "platform/WindowMessages.h"
#include "support/MouseEvents.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QScreen>
#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <thread>

namespace {

class MainFormTest : public ::testing::Test {
protected:
    explicit MainFormTest(QStringList arguments = {"velmora"})
        : settingsFile((setProgramSettingsFile(settingsDir.filePath("velmora.ini")), settingsDir.filePath("velmora.ini"))),
          scripted(new ScriptedPrompts),
          form(arguments, std::unique_ptr<Prompts>(scripted))
    {
    }
    ~MainFormTest() override { setProgramSettingsFile(QString()); }

    TStatusProgress& bar() { return *form.statusProgress(); }
    QRgb barPixel(int x) { return bar().shownImage().pixel(x, bar().height() / 2); }
    // Width of the navy bar for a percentage, as the part draws it.
    int barWidth(int percent) { return bar().width() * percent / 100; }
    QRgb navy() const { return QColor(0, 0, 128).rgb(); }

    QTemporaryDir settingsDir;
    QString settingsFile;
    ScriptedPrompts* scripted;  // owned by form
    TMainForm form;
};

TEST_F(MainFormTest, WindowShowsItsCaptionTabsButtonsAndHints)
{
    EXPECT_EQ(form.windowTitle(), "Velmora-Quillery 4.5");
    EXPECT_EQ(form.size(), QSize(670, 523));
    EXPECT_TRUE(form.ProgramDir.endsWith('/'));
    EXPECT_EQ(QDir(form.ProgramDir).absolutePath(), QCoreApplication::applicationDirPath());

    QTabWidget* tabs = form.pageControl();
    ASSERT_EQ(tabs->count(), 6);
    const QStringList captions = {"Scan", "Retouch", "Set form size", "Form fields", "Fill out the form", "Print"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        EXPECT_FALSE(tabs->tabIcon(i).isNull()) << i;
    }

    auto headlineOf = [&](int i) {
        QLabel* label = tabs->widget(i)->findChild<QLabel*>("headline");
        return label ? label->text() : QString();
    };
    EXPECT_EQ(headlineOf(0), "Scan form");
    EXPECT_EQ(headlineOf(1), "Retouch - select area and crop to selection");
    EXPECT_EQ(headlineOf(2), "");
    EXPECT_EQ(headlineOf(3), "Form fields - create and rename form fields - popup menu: right mouse button");
    EXPECT_EQ(headlineOf(4), "Fill out the form - click on \"Overtake\" and then enter the texts");
    EXPECT_EQ(headlineOf(5), "Print - choose what to print and click on \"Go!\"");

    auto panelCaptionOf = [&](int i) {
        QLabel* label = tabs->widget(i)->findChild<QLabel*>("panelCaption");
        return label ? label->text() : QString();
    };
    EXPECT_EQ(panelCaptionOf(0), "Scan\npaper form...");
    EXPECT_EQ(panelCaptionOf(1), "Retouch picture...");
    EXPECT_EQ(panelCaptionOf(2), "Set form size...");
    EXPECT_EQ(panelCaptionOf(3), "Create form fields...");
    EXPECT_EQ(panelCaptionOf(4), "");
    EXPECT_EQ(panelCaptionOf(5), "Print the form now!");
    QLabel* caption = tabs->widget(0)->findChild<QLabel*>("panelCaption");
    EXPECT_EQ(caption->font().pixelSize(), 19);
    EXPECT_EQ(caption->palette().color(QPalette::Window), QColor(240, 202, 166));
    EXPECT_EQ(caption->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    EXPECT_EQ(tabs->widget(0)->findChild<QWidget*>("leftPanel")->palette().color(QPalette::Window), QColor(192, 220, 192));

    auto hintOf = [&](const char* name) {
        auto* button = form.findChild<QToolButton*>(name);
        return button ? button->text() + "|" + button->toolTip() : QString();
    };
    EXPECT_EQ(hintOf("NewBtn"), "New|Create new form");
    EXPECT_EQ(hintOf("OpenBtn"), "Open...|Open form...");
    EXPECT_EQ(hintOf("SaveAsBtn"), "Save as...|Save form as...");
    EXPECT_EQ(form.infoButton()->toolTip(), "Information about the program");
    EXPECT_EQ(form.helpButton()->toolTip(), "Click here if you need help!");
    EXPECT_EQ(form.quitButton()->toolTip(), "You leave the program.");
}

TEST_F(MainFormTest, StartUpSelectsTheBlankPictureAndRegistersTheCursors)
{
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 319, 199}));
    EXPECT_EQ(screenCursor(9).hotSpot(), QPoint(15, 16));
    EXPECT_EQ(screenCursor(11).shape(), Qt::BitmapCursor);
}

TEST_F(MainFormTest, ProgressFallingToZeroErasesTheWholeBar)
{
    form.show();
    form.SetProStatus(100);
    EXPECT_EQ(barPixel(0), navy());
    EXPECT_EQ(barPixel(bar().width() - 1), navy());
    form.SetProStatus(0);
    EXPECT_EQ(form.ProgressPercent, 0);
    EXPECT_NE(barPixel(0), navy());
    EXPECT_NE(barPixel(bar().width() - 1), navy());
}

TEST_F(MainFormTest, RisingProgressExtendsTheBarWithoutErasing)
{
    form.show();
    form.SetProStatus(10);
    EXPECT_EQ(barPixel(barWidth(10) - 1), navy());
    EXPECT_NE(barPixel(barWidth(10)), navy());

    // A changed background becomes visible only where the part is erased.
    const QRgb oldBackground = barPixel(bar().width() - 1);
    QPalette palette = bar().palette();
    palette.setColor(QPalette::Window, Qt::yellow);
    bar().setPalette(palette);

    form.SetProStatus(50);
    EXPECT_EQ(barPixel(0), navy());
    EXPECT_EQ(barPixel(barWidth(50) - 1), navy());
    EXPECT_EQ(barPixel(barWidth(50)), oldBackground);
    EXPECT_EQ(barPixel(bar().width() - 1), oldBackground);

    form.SetProStatus(20);  // falling: erased with the new background
    EXPECT_EQ(barPixel(barWidth(20) - 1), navy());
    EXPECT_EQ(barPixel(barWidth(20)), QColor(Qt::yellow).rgb());
}

TEST_F(MainFormTest, ProgressOutsideTheRangeIsHeldToIt)
{
    form.show();
    form.SetProStatus(250);
    EXPECT_EQ(form.ProgressPercent, 100);
    EXPECT_EQ(barPixel(bar().width() - 1), navy());
    form.SetProStatus(-5);
    EXPECT_EQ(form.ProgressPercent, 0);
    EXPECT_NE(barPixel(0), navy());
}

TEST_F(MainFormTest, ProgressMessagesFromAnotherThreadAndFromTheSameThreadReachTheBar)
{
    form.show();
    std::thread sender([this] { postWindowMessage(&form, kWmUserEvent, 40); });
    sender.join();
    EXPECT_EQ(form.ProgressPercent, 0);  // queued, not yet handled
    QCoreApplication::sendPostedEvents(&form);
    EXPECT_EQ(form.ProgressPercent, 40);
    EXPECT_EQ(barPixel(barWidth(40) - 1), navy());

    sendWindowMessage(&form, kWmUserEvent, 70);
    EXPECT_EQ(form.ProgressPercent, 70);
    EXPECT_EQ(barPixel(barWidth(70) - 1), navy());
}

TEST_F(MainFormTest, QuitButtonDraggedOffAndReleasedDoesNotQuit)
{
    form.show();
    HoverImageButton& quit = *form.quitButton();
    sendMouse(quit, QEvent::MouseButtonPress, {5, 5});
    EXPECT_TRUE(quit.isPressedShown());
    sendMouse(quit, QEvent::MouseMove, {-3, 5});
    EXPECT_FALSE(quit.isPressedShown());
    sendMouse(quit, QEvent::MouseMove, {6, 6});
    EXPECT_TRUE(quit.isPressedShown());
    sendMouse(quit, QEvent::MouseMove, {quit.width() + 2.0, 6});
    sendMouse(quit, QEvent::MouseButtonRelease, {quit.width() + 2.0, 6});
    EXPECT_FALSE(quit.isPressedShown());
    EXPECT_TRUE(scripted->messages().empty());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(MainFormTest, QuitButtonAsksAndCancelKeepsEverything)
{
    form.show();
    form.document().addField(FontSpec{}).name = "Name";
    const uint8_t* pixels = form.document().picture.get().bits;
    bool pressedWhileAsking = true;
    scripted->onMessage = [&](const ShownMessage&) { pressedWhileAsking = form.quitButton()->isPressedShown(); };

    sendMouse(*form.quitButton(), QEvent::MouseButtonPress, {5, 5});
    sendMouse(*form.quitButton(), QEvent::MouseButtonRelease, {5, 5});

    ASSERT_EQ(scripted->messages().size(), 1u);
    const ShownMessage& asked = scripted->messages()[0];
    EXPECT_EQ(asked.text, "You leave the program now. Be sure that everything is saved.");
    EXPECT_EQ(asked.caption, "Quit program");
    EXPECT_EQ(asked.icon, MsgIcon::Information);
    EXPECT_EQ(asked.buttons, MsgButtons::OkCancel);
    EXPECT_EQ(asked.answer, MsgAnswer::Cancel);
    EXPECT_FALSE(pressedWhileAsking);
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(form.document().fields.size(), 1u);
    EXPECT_EQ(form.document().picture.get().bits, pixels);
    EXPECT_FALSE(QFile::exists(settingsFile));
}

TEST_F(MainFormTest, OkInTheQuitQuestionClosesAndStoresThePlace)
{
    form.show();
    form.resize(700, 540);
    form.move(20, 30);
    scripted->queueAnswer(MsgAnswer::Ok);
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());

    QSettings stored(settingsFile, QSettings::IniFormat);
    EXPECT_EQ(stored.value("MainWindow/Width").toInt(), 700);
    EXPECT_EQ(stored.value("MainWindow/Height").toInt(), 540);
    EXPECT_EQ(stored.value("MainWindow/Left").toInt(), form.x());
    EXPECT_EQ(stored.value("MainWindow/Top").toInt(), form.y());
}

TEST_F(MainFormTest, NewAnsweredNoChangesNothing)
{
    FormDocument& doc = form.document();
    doc.addField(FontSpec{}).name = "Name";
    FormRecord record;
    RecordEntry entry;
    entry.value = "Anna";
    entry.name = "Name";
    record.append(entry);
    doc.records.push_back(record);
    const uint8_t* pixels = doc.picture.get().bits;
    form.selection() = SelectionRect{5, 6, 7, 8};
    form.FieldsChanged = true;

    scripted->queueAnswer(MsgAnswer::No);
    form.NewBtnClick();

    ASSERT_EQ(scripted->messages().size(), 1u);
    EXPECT_EQ(scripted->messages()[0].text, "Be sure to save the form before leaving the program.");
    EXPECT_EQ(scripted->messages()[0].caption, "Create new form");
    EXPECT_EQ(scripted->messages()[0].icon, MsgIcon::Question);
    EXPECT_EQ(scripted->messages()[0].buttons, MsgButtons::YesNo);
    ASSERT_EQ(doc.fields.size(), 1u);
    EXPECT_EQ(doc.fields[0].name, "Name");
    ASSERT_EQ(doc.records.size(), 1u);
    EXPECT_EQ(doc.records[0].value(0), "Anna");
    EXPECT_EQ(doc.picture.get().bits, pixels);
    EXPECT_EQ(form.selection(), (SelectionRect{5, 6, 7, 8}));
    EXPECT_TRUE(form.FieldsChanged);
}

TEST_F(MainFormTest, NewAnsweredYesStartsABlankForm)
{
    FormDocument& doc = form.document();
    doc.addField(FontSpec{});
    doc.records.push_back(doc.newRecordFromFirst());
    doc.PrintShiftMm = {3, 4};
    doc.picture.reset(newdib(64, 48, 24, nullptr, 0));
    doc.FirstPoint = {10, 11};
    doc.SecondPoint = {60, 40};
    doc.FirstPointMm = {5, 6};
    doc.SecondPointMm = {150, 100};
    form.selection() = SelectionRect{5, 6, 7, 8};
    form.FieldsChanged = true;

    scripted->queueAnswer(MsgAnswer::Yes);
    form.NewBtnClick();

    EXPECT_TRUE(doc.fields.empty());
    EXPECT_TRUE(doc.records.empty());
    EXPECT_EQ(doc.picture.get().header->biWidth, 320);
    EXPECT_EQ(doc.picture.get().header->biHeight, 200);
    EXPECT_EQ(doc.picture.get().header->biBitCount, 8);
    EXPECT_EQ(form.findChild<QLineEdit*>("BreitED")->text(), "320 Pixel");
    EXPECT_EQ(form.selection(), (SelectionRect{0, 0, 319, 199}));
    EXPECT_EQ(doc.FirstPoint, (PointI{0, 0}));
    EXPECT_EQ(doc.SecondPoint, (PointI{0, 0}));
    // The paper positions live in the form-size boxes too; both must say 1.
    EXPECT_EQ(doc.FirstPointMm, (PointD{1, 1}));
    EXPECT_EQ(doc.SecondPointMm, (PointD{1, 1}));
    EXPECT_EQ(doc.PrintShiftMm, (PointD{3, 4}));
    EXPECT_FALSE(form.FieldsChanged);
}

TEST_F(MainFormTest, FieldsWarningShowsOnceWhenTheFillOutTabIsEntered)
{
    form.show();
    form.showTab(4);
    EXPECT_TRUE(scripted->messages().empty());  // nothing changed yet

    form.showTab(0);
    form.FieldsChanged = true;
    form.showTab(4);
    form.showTab(1);
    form.showTab(4);

    ASSERT_EQ(scripted->messages().size(), 1u);
    EXPECT_EQ(scripted->messages()[0].text, "If you have changed the form fields you have to click on \"Overtake\" now!");
    EXPECT_EQ(scripted->messages()[0].caption, "WARNING: the form fields could be changed!");
    EXPECT_EQ(scripted->messages()[0].icon, MsgIcon::Information);
    EXPECT_FALSE(form.FieldsChanged);
}

TEST(MainFormPlace, StoredPlaceIsRestoredOnAVisibleScreen)
{
    struct Row {
        const char* what;
        QRect stored;  // frame position, client size
        QPoint expected;
    };
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const Row rows[] = {
        {"on the screen", {40, 50, 700, 540}, {40, 50}},
        {"above the top", {60, -30, 700, 540}, {60, screen.top()}},
        {"left of the screen", {-900, 20, 700, 540}, {screen.left(), 20}},
        {"on no screen", {5000, 5000, 700, 540}, {}},
    };
    for (const Row& row : rows) {
        QTemporaryDir settingsDir;
        setProgramSettingsFile(settingsDir.filePath("velmora.ini"));
        {
            QSettings stored(settingsDir.filePath("velmora.ini"), QSettings::IniFormat);
            stored.setValue("MainWindow/Left", row.stored.x());
            stored.setValue("MainWindow/Top", row.stored.y());
            stored.setValue("MainWindow/Width", row.stored.width());
            stored.setValue("MainWindow/Height", row.stored.height());
        }
        TMainForm form(QStringList{"velmora"}, std::make_unique<ScriptedPrompts>());
        form.show();
        EXPECT_EQ(form.size(), row.stored.size()) << row.what;
        EXPECT_TRUE(screen.contains(form.frameGeometry())) << row.what;
        if (!row.expected.isNull()) {
            EXPECT_EQ(form.pos(), row.expected) << row.what;
        }
        setProgramSettingsFile({});
    }
}

TEST_F(MainFormTest, HelpOpensTheHelpFileOrTheManualAndSaysNothingWhenBothAreMissing)
{
    QTemporaryDir dir;
    const QString programDir = dir.path() + "/";
    EXPECT_EQ(helpFileIn(programDir), "");
    QDir(dir.path()).mkdir("manual");
    QFile(programDir + "manual/index.html").open(QIODevice::WriteOnly);
    EXPECT_EQ(helpFileIn(programDir), programDir + "manual/index.html");
    QFile(programDir + "velmoraeng.chm").open(QIODevice::WriteOnly);
    EXPECT_EQ(helpFileIn(programDir), programDir + "velmoraeng.chm");

    QStringList opened;
    setShellOpenHandler([&](const QString& file) {
        opened << file;
        return true;
    });
    form.ProgramDir = programDir;
    form.HelpBtnClick();
    QFile::remove(programDir + "velmoraeng.chm");
    QFile::remove(programDir + "manual/index.html");
    form.HelpBtnClick();
    setShellOpenHandler({});
    EXPECT_EQ(opened, QStringList({programDir + "velmoraeng.chm"}));
    EXPECT_TRUE(scripted->messages().empty());
}

TEST_F(MainFormTest, HelpWithoutAProgramForItsFileNamesTheFile)
{
    QTemporaryDir dir;
    const QString programDir = dir.path() + "/";
    QDir(dir.path()).mkdir("manual");
    QFile(programDir + "manual/index.html").open(QIODevice::WriteOnly);
    setShellOpenHandler([](const QString&) { return false; });
    form.ProgramDir = programDir;
    form.HelpBtnClick();
    setShellOpenHandler({});
    ASSERT_EQ(scripted->messages().size(), 1u);
    EXPECT_EQ(scripted->messages()[0].text,
              "No program on this computer opens the manual. Open the file \"" +
                  QDir::toNativeSeparators(programDir + "manual/index.html") + "\" yourself.");
    EXPECT_EQ(scripted->messages()[0].caption, "Help");
    EXPECT_EQ(scripted->messages()[0].icon, MsgIcon::Information);
}

class CommandLineTest : public MainFormTest {
protected:
    CommandLineTest() : MainFormTest({"velmora", "/no/such/folder/Tax form.frm"}) {}
};

TEST_F(CommandLineTest, MissingFormFileIsReportedOnceAtTheFirstShowing)
{
    EXPECT_TRUE(scripted->messages().empty());
    form.show();
    ASSERT_EQ(scripted->messages().size(), 1u);
    EXPECT_EQ(scripted->messages()[0].text, "Form /no/such/folder/Tax form.frm can not be created.");
    EXPECT_EQ(scripted->messages()[0].caption, "");
    EXPECT_EQ(scripted->messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(scripted->messages()[0].buttons, MsgButtons::Ok);
    form.hide();
    form.show();
    EXPECT_EQ(scripted->messages().size(), 1u);
    EXPECT_EQ(form.document().picture.get().header->biWidth, 320);
}

TEST(AboutBox, ShowsTheCurrentYearAndOneOkButton)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), "Info");
    const QString year = QString::number(QDate::currentDate().year());
    EXPECT_TRUE(box.copyrightText().contains(year)) << box.copyrightText().toStdString();
    EXPECT_FALSE(box.copyrightText().contains("XXXX"));
    EXPECT_TRUE(box.copyrightText().startsWith(QString::fromUtf8("© ")));
    auto* buttons = box.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    ASSERT_EQ(buttons->buttons().size(), 1);
    EXPECT_EQ(buttons->standardButton(buttons->buttons()[0]), QDialogButtonBox::Ok);
}

TEST(AboutBox, CopyrightLineIsShownWhole)
{
    TAboutBox box;
    box.show();
    QLabel* line = nullptr;
    for (QLabel* label : box.findChildren<QLabel*>())
        if (label->text() == box.copyrightText())
            line = label;
    ASSERT_NE(line, nullptr);
    EXPECT_GE(line->width(), line->fontMetrics().horizontalAdvance(line->text()));
    EXPECT_LE(line->geometry().right(), box.contentsRect().right());
}

TEST(AboutBox, YearIsAlwaysFourDigits)
{
    EXPECT_EQ(withYear("© XXXX Someone", 2031), "© 2031 Someone");
    EXPECT_EQ(withYear("XXXX-XXXX", 987), "0987-0987");
    EXPECT_EQ(withYear("no placeholder", 2031), "no placeholder");
}

}  // namespace

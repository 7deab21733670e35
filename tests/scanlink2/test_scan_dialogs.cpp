#include "TestScanners.h"

#include "platform/Settings.h"
#include "platform/WindowMessages.h"
#include "scanlink2/SaneSession.h"
#include "scanlink2/Scanlink2.h"
#include "scanlink2/TScanDialog.h"
#include "scanlink2/TSelectScannerDialog.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace {

// The main window as the scanner library sees it: it keeps every window message it gets.
class MessageLog : public QWidget {
public:
    struct Message {
        QEvent::Type type;
        intptr_t wParam;
    };
    std::vector<Message> messages;
    std::vector<int> progress() const
    {
        std::vector<int> percents;
        for (const Message& m : messages)
            if (m.type == kWmUserEvent)
                percents.push_back(int(m.wParam));
        return percents;
    }
    std::vector<intptr_t> finishedScans() const
    {
        std::vector<intptr_t> scans;
        for (const Message& m : messages)
            if (m.type == kWmUser1Event)
                scans.push_back(m.wParam);
        return scans;
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == kWmUserEvent || event->type() == kWmUser1Event) {
            messages.push_back({event->type(), static_cast<WindowMessageEvent*>(event)->wParam});
            return true;
        }
        return QWidget::event(event);
    }
};

class ScanDialogTest : public ::testing::Test {
public:
    ScanDialogTest() { setProgramSettingsFile(settingsDir.filePath("velmora.ini")); }
    ~ScanDialogTest() override { setProgramSettingsFile(QString()); }
    void SetUp() override { useTestScanners(); }

    // Opens the chosen scanner's dialog beside the window.
    TScanDialog* openScanDialog()
    {
        TWAIN_ScanImage(&window, &scripted);
        return window.findChild<TScanDialog*>();
    }

    void select(QComboBox* box, const QString& text)
    {
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
    }

    QTemporaryDir settingsDir;
    ScriptedPrompts scripted;
    MessageLog window;
};

TEST_F(ScanDialogTest, SelectScannerListsTheDevicesAndKeepsTheChoice)
{
    const std::vector<ScannerInfo> scanners = listScanners();
    TSelectScannerDialog dialog(scripted, scanners, "test:1");
    ASSERT_EQ(dialog.DeviceList->topLevelItemCount(), 2);
    const QTreeWidgetItem* first = dialog.DeviceList->topLevelItem(0);
    EXPECT_EQ(first->text(0), "Noname");
    EXPECT_EQ(first->text(1), "frontend-tester");
    EXPECT_EQ(first->text(2), "test:0");
    EXPECT_EQ(dialog.selectedName(), "test:1");
    dialog.RefreshBtnClick();
    EXPECT_EQ(dialog.DeviceList->topLevelItemCount(), 2);
    EXPECT_EQ(dialog.selectedName(), "test:1");

    // Without a stored choice the first scanner is used; the one chosen in the dialog is kept.
    EXPECT_EQ(chosenScanner(), "test:0");
    QTimer::singleShot(0, [] {
        auto* shown = qobject_cast<TSelectScannerDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(shown);
        shown->DeviceList->setCurrentItem(shown->DeviceList->topLevelItem(1));
        shown->accept();
    });
    TWAIN_SelectScanner(&window, &scripted);
    EXPECT_EQ(chosenScanner(), "test:1");
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(ScanDialogTest, AnUnknownScannerIsNamedInAMessage)
{
    setChosenScanner("nosuch:0");
    EXPECT_EQ(openScanDialog(), nullptr);
    EXPECT_EQ(scripted.messageTexts(),
              QStringList({"The scanner \"nosuch:0\" was not found.\n\nChoose a scanner with the \"Select\" button."}));
    EXPECT_EQ(scripted.messages().front().icon, MsgIcon::Error);
}

TEST_F(ScanDialogTest, AScanReachesTheWindowAsProgressAndThenAPicture)
{
    TScanDialog* dialog = openScanDialog();
    ASSERT_TRUE(dialog);
    // Defaults for a form: grey, 300 ppi, a whole sheet.
    EXPECT_EQ(dialog->ModeBox->currentText(), "Gray");
    EXPECT_EQ(dialog->ResolutionBox->currentText(), "300 ppi");
    EXPECT_EQ(dialog->PaperBox->currentIndex(), defaultPaperIndex());
    EXPECT_TRUE(dialog->SourceBox->isVisibleTo(dialog));

    select(dialog->ResolutionBox, "75 ppi");
    select(dialog->PaperBox, "A4 (210 x 297 mm)");
    dialog->deviceOptions = plainScanner();
    QPointer<TScanDialog> watched = dialog;
    dialog->ScanBtnClick();
    EXPECT_TRUE(dialog->scanning());
    ASSERT_TRUE(waitUntil([&] { return !window.finishedScans().empty() && !watched; }));

    const std::vector<int> progress = window.progress();
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    // The picture comes after the last progress.
    EXPECT_EQ(window.messages.back().type, kWmUser1Event);

    DibOwner picture(GetScanedDib(window.finishedScans().front()));
    ASSERT_TRUE(picture);
    // 210 x 297 mm at 75 ppi, as the device counts it (876.97 lines are 876).
    EXPECT_EQ(picture.get().header->biWidth, 620);
    EXPECT_EQ(picture.get().header->biHeight, 876);
    EXPECT_EQ(picture.get().header->biBitCount, 8);
    // The picture is handed over once.
    EXPECT_FALSE(GetScanedDib(window.finishedScans().front()).bits);
    EXPECT_TRUE(scripted.messages().empty());
}

// The virtual scanner cancels its reader thread asynchronously. Landing inside the C library,
// that can leave one of its locks taken, and a later scan of the same process hangs. So each
// cancel runs in a process of its own, which ends without its exit handlers (they would unload
// the scanner backends and may meet such a lock).
// What a scenario in a process of its own found wrong; gtest's own checks do not reach the
// parent from there.
struct Checks {
    bool passed = true;
    bool operator()(bool holds, const char* what)
    {
        if (!holds) {
            passed = false;
            std::fprintf(stderr, "failed: %s\n", what);
        }
        return holds;
    }
};

template <typename Scenario>
void inOwnProcess(Scenario scenario)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Checks check;
            scenario(check);
            std::fflush(stderr);
            std::_Exit(check.passed ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A scan the virtual scanner stretches over seconds: it waits 10 ms after each small buffer.
TScanDialog* startSlowScan(ScanDialogTest& test)
{
    TScanDialog* dialog = test.openScanDialog();
    if (!dialog)
        return nullptr;
    dialog->deviceOptions = plainScanner({{"read-limit", "yes"}, {"read-limit-size", "4096"}, {"read-delay", "yes"},
                                          {"read-delay-duration", "10000"}});
    dialog->ScanBtnClick();
    return waitUntil([&] { return test.window.progress().size() >= 2; }) ? dialog : nullptr;
}

TEST_F(ScanDialogTest, CancelDuringTheScanDeliversNothing)
{
    inOwnProcess([this](Checks& check) {
        TScanDialog* dialog = startSlowScan(*this);
        if (!check(dialog, "the scan started"))
            return;
        dialog->CancelBtnClick();
        if (!check(waitUntil([&] { return !dialog->scanning(); }), "the scan ended"))
            return;
        QCoreApplication::processEvents();

        check(window.finishedScans().empty(), "no picture came");
        check(window.progress().back() == 0, "the bar was cleared");
        check(window.progress().end()[-2] < 100, "the scan stopped before its end");
        check(scripted.messages().empty(), "no message was shown");
        check(dialog->isVisible() && dialog->ScanBtn->isEnabled(), "the dialog stays for another try");
    });
}

TEST_F(ScanDialogTest, ClosingTheDialogDuringTheScanCancelsIt)
{
    inOwnProcess([this](Checks& check) {
        QPointer<TScanDialog> dialog = startSlowScan(*this);
        if (!check(dialog, "the scan started"))
            return;
        dialog->close();
        check(!dialog->isVisible(), "the dialog is out of sight at once");
        check(waitUntil([&] { return !dialog; }), "the dialog is gone when the scan has ended");
        check(window.finishedScans().empty(), "no picture came");
        check(window.progress().back() == 0, "the bar was cleared");
    });
}

TEST_F(ScanDialogTest, AScannerProblemIsShownAndNoPictureComes)
{
    TScanDialog* dialog = openScanDialog();
    ASSERT_TRUE(dialog);
    select(dialog->ResolutionBox, "75 ppi");
    dialog->deviceOptions = plainScanner({{"read-return-value", "SANE_STATUS_JAMMED"}});
    dialog->ScanBtnClick();
    ASSERT_TRUE(waitUntil([&] { return !dialog->scanning(); }));
    EXPECT_EQ(scripted.messageTexts(), QStringList({"The paper is jammed in the scanner. Remove it, then scan again."}));
    EXPECT_EQ(scripted.messages().front().caption, "Scanner");
    EXPECT_TRUE(window.finishedScans().empty());
    EXPECT_EQ(window.progress().back(), 0);
    dialog->close();
}

// SANE reads its configuration once per process, so a machine without scanners is a process
// of its own.
TEST(NoScannerTest, WithoutScannersTheMessageSaysHowScannersAreFound)
{
    inOwnProcess([](Checks& check) {
        useTestScanners(VELMORA_TEST_DATA "/sane-none");
        ScriptedPrompts scripted;
        QWidget window;
        TWAIN_SelectScanner(&window, &scripted);
        TWAIN_ScanImage(&window, &scripted);
        check(scripted.messageTexts() == QStringList({kNoScannerText, kNoScannerText}), "both calls tell why");
        check(!scripted.messages().empty() && scripted.messages().front().icon == MsgIcon::Information,
              "as a hint");
        check(!window.findChild<TScanDialog*>(), "no scan dialog opens");
    });
}

}  // namespace

#include "platform/QtPrompts.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFontDialog>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Acts on the next modal dialog of type D as soon as it is on screen, as a user would.
template <typename D>
void whenShown(std::function<void(D&)> act)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
        }
    });
    poll->start();
}

TEST(ScriptedPrompts, RecordsEveryMessageWithItsLooks)
{
    ScriptedPrompts prompts;
    prompts.queueAnswer(MsgAnswer::Yes);
    EXPECT_EQ(prompts.message("Sure?", "Create new form", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::Yes);
    EXPECT_EQ(prompts.message("Broken", "", MsgIcon::Error, MsgButtons::Ok), MsgAnswer::Ok);

    ASSERT_EQ(prompts.messages().size(), 2u);
    const ShownMessage& first = prompts.messages()[0];
    EXPECT_EQ(first.text, "Sure?");
    EXPECT_EQ(first.caption, "Create new form");
    EXPECT_EQ(first.icon, MsgIcon::Question);
    EXPECT_EQ(first.buttons, MsgButtons::YesNo);
    EXPECT_EQ(first.answer, MsgAnswer::Yes);
    EXPECT_EQ(prompts.messages()[1].caption, "");
    EXPECT_EQ(prompts.messageTexts(), QStringList({"Sure?", "Broken"}));
}

TEST(ScriptedPrompts, UnscriptedQuestionsAreDismissed)
{
    ScriptedPrompts prompts;
    EXPECT_EQ(prompts.message("q", "c", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(prompts.message("q", "c", MsgIcon::Information, MsgButtons::OkCancel), MsgAnswer::Cancel);
    EXPECT_FALSE(prompts.openFile(FileRequest{}).has_value());
    EXPECT_FALSE(prompts.saveFile(FileRequest{}).has_value());
}

TEST(ScriptedPrompts, AnOkOnlyBoxLeavesTheQueuedAnswerForTheNextQuestion)
{
    ScriptedPrompts prompts;
    prompts.queueAnswer(MsgAnswer::Ok);
    prompts.message("hint", "", MsgIcon::Information, MsgButtons::Ok);
    EXPECT_EQ(prompts.unusedAnswers(), 1);
    EXPECT_EQ(prompts.message("quit?", "Quit program", MsgIcon::Information, MsgButtons::OkCancel), MsgAnswer::Ok);
    EXPECT_EQ(prompts.unusedAnswers(), 0);
}

TEST(ScriptedPrompts, FileDialogsRecordTheirRequestAndAnswerInOrder)
{
    ScriptedPrompts prompts;
    prompts.queueOpenFile("/tmp/a.frm");
    prompts.queueOpenFile(std::nullopt);
    prompts.queueSaveFile(FileChoice{"/tmp/b.csv", 2});

    FileRequest request;
    request.filter = "Formulare|*.frm";
    request.defaultExt = "frm";
    EXPECT_EQ(prompts.openFile(request)->fileName, "/tmp/a.frm");
    EXPECT_FALSE(prompts.openFile(request).has_value());
    request.overwritePrompt = true;
    const auto saved = prompts.saveFile(request);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->filterIndex, 2);

    ASSERT_EQ(prompts.fileDialogs().size(), 3u);
    EXPECT_EQ(prompts.fileDialogs()[0].kind, FileDialogKind::Open);
    EXPECT_EQ(prompts.fileDialogs()[0].request.filter, "Formulare|*.frm");
    EXPECT_EQ(prompts.fileDialogs()[0].request.defaultExt, "frm");
    EXPECT_FALSE(prompts.fileDialogs()[1].answer.has_value());
    EXPECT_EQ(prompts.fileDialogs()[2].kind, FileDialogKind::Save);
    EXPECT_TRUE(prompts.fileDialogs()[2].request.overwritePrompt);
}

TEST(ScriptedPrompts, OnMessageSeesTheMessageWhileItIsShown)
{
    ScriptedPrompts prompts;
    QString seen;
    prompts.onMessage = [&](const ShownMessage& shown) { seen = shown.caption + ":" + shown.text; };
    prompts.message("Hello", "Info", MsgIcon::Information, MsgButtons::Ok);
    EXPECT_EQ(seen, "Info:Hello");
}

TEST(ScriptedPrompts, FontAndColourDialogsRecordWhatTheyShowedAndGiveTheScriptedChoice)
{
    ScriptedPrompts prompts;
    QFont courier(QStringLiteral("Courier New"));
    courier.setPointSize(14);
    courier.setBold(true);
    prompts.queueFont(FontChoice{courier, QColor(0, 0, 128)});
    prompts.queueFont(std::nullopt);
    prompts.queueColor(QColor(255, 0, 0));

    const FontChoice initial{QFont(QStringLiteral("Arial")), QColor(0, 0, 0)};
    const auto picked = prompts.fontDialog(initial);
    ASSERT_TRUE(picked.has_value());
    EXPECT_EQ(picked->font.family(), "Courier New");
    EXPECT_EQ(picked->font.pointSize(), 14);
    EXPECT_TRUE(picked->font.bold());
    EXPECT_EQ(picked->color, QColor(0, 0, 128));
    EXPECT_FALSE(prompts.fontDialog(initial).has_value());
    EXPECT_EQ(prompts.colorDialog(QColor(1, 2, 3)), QColor(255, 0, 0));
    EXPECT_FALSE(prompts.colorDialog(QColor(1, 2, 3)).has_value());  // nothing left: cancelled

    ASSERT_EQ(prompts.fontDialogs().size(), 2u);
    EXPECT_EQ(prompts.fontDialogs()[0].initial.font.family(), "Arial");
    EXPECT_FALSE(prompts.fontDialogs()[1].answer.has_value());
    ASSERT_EQ(prompts.colorDialogs().size(), 2u);
    EXPECT_EQ(prompts.colorDialogs()[0].initial, QColor(1, 2, 3));
    EXPECT_EQ(prompts.unusedAnswers(), 0);
}

TEST(QtPrompts, FontDialogGivesBackTheFontAndTheColourChosenInIt)
{
    QtPrompts prompts;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(12);
    font.setItalic(true);

    whenShown<QDialog>([](QDialog& dialog) {
        whenShown<QColorDialog>([](QColorDialog& colours) {
            colours.setCurrentColor(QColor(200, 0, 0));
            colours.accept();
        });
        QPushButton* colour = nullptr;
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == "Colour...")
                colour = button;
        if (colour)
            colour->click();
        dialog.accept();
    });
    const auto chosen = prompts.fontDialog(FontChoice{font, QColor(0, 0, 0)});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->font.family(), font.family());
    EXPECT_EQ(chosen->font.pointSize(), 12);
    EXPECT_TRUE(chosen->font.italic());
    EXPECT_EQ(chosen->color, QColor(200, 0, 0));

    whenShown<QDialog>([](QDialog& dialog) { dialog.reject(); });
    EXPECT_FALSE(prompts.fontDialog(FontChoice{font, QColor(0, 0, 0)}).has_value());
}

TEST(QtPrompts, ColourDialogGivesBackTheChosenColourAndNothingOnCancel)
{
    QtPrompts prompts;
    whenShown<QColorDialog>([](QColorDialog& dialog) { dialog.accept(); });
    EXPECT_EQ(prompts.colorDialog(QColor(10, 20, 30)), QColor(10, 20, 30));
    whenShown<QColorDialog>([](QColorDialog& dialog) {
        dialog.setCurrentColor(QColor(1, 2, 3));
        dialog.reject();
    });
    EXPECT_FALSE(prompts.colorDialog(QColor(10, 20, 30)).has_value());
}

TEST(QtPrompts, FiltersBecomeDialogNameFilters)
{
    EXPECT_EQ(fileDialogFilters("Formulare|*.frm"), QStringList({"Formulare (*.frm)"}));
    EXPECT_EQ(fileDialogFilters("Pictures|*.bmp;*.dib|All files (*.*)|*.*"),
              QStringList({"Pictures (*.bmp *.dib)", "All files [*.*] (*.*)"}));
    EXPECT_TRUE(fileDialogFilters("").isEmpty());
    // A description without patterns is dropped rather than shown as a filter matching nothing.
    EXPECT_EQ(fileDialogFilters("CSV|*.csv|dangling"), QStringList({"CSV (*.csv)"}));
}

TEST(QtPrompts, DefaultExtensionOnlyWhenTheNameHasNone)
{
    EXPECT_EQ(withDefaultExtension("/tmp/form", "frm"), "/tmp/form.frm");
    EXPECT_EQ(withDefaultExtension("/tmp/form.dat", "frm"), "/tmp/form.dat");
    EXPECT_EQ(withDefaultExtension("/tmp/my.dir/form", "frm"), "/tmp/my.dir/form.frm");
    EXPECT_EQ(withDefaultExtension("/tmp/form", ""), "/tmp/form");
}

TEST(QtPrompts, EmptyCaptionShowsTheProgramName)
{
    const QString before = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName("Velmoras");
    EXPECT_EQ(defaultMessageCaption(), "Velmoras");
    QGuiApplication::setApplicationDisplayName(before);
}

}  // namespace

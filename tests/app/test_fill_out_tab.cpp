#include "app/TMainForm.h"
#include "platform/CodePage.h"
#include "print/TStringGrid.h"
#include "support/ScriptedPrompts.h"

#include <gtest/gtest.h>

// The main window's part of the "Fill out the form" tab: the record number pages read through
// the host, and the refresh after an open and after "New".
TEST(FillOutTab, FollowsTheOpenedFormTheRecordNumberAndNew)
{
    auto* scripted = new ScriptedPrompts;
    TMainForm form(QStringList{"velmora"}, std::unique_ptr<Prompts>(scripted));
    auto* grid = form.findChild<TStringGrid*>("StringGrid");
    ASSERT_TRUE(grid);

    ASSERT_TRUE(form.OpenFORM(QString(VELMORA_SOURCE_DIR) + "/examples/sample.frm"));
    const FormDocument& doc = form.document();
    ASSERT_EQ(doc.recordCount(), 2);
    const FormRecord& second = doc.records[1];
    EXPECT_EQ(grid->RowCount(), int(second.size()) + 1);
    EXPECT_EQ(grid->Cells(0, 1), ansiToQString(doc.records[0].layout(0).name));
    EXPECT_EQ(grid->Cells(1, 1), ansiToQString(doc.records[0].value(0).value_or("")));
    EXPECT_EQ(form.currentRecordNumber(), 1);

    form.setCurrentRecordNumber(2);
    EXPECT_EQ(form.currentRecordNumber(), 2);
    EXPECT_EQ(grid->Cells(1, 1), ansiToQString(second.value(0).value_or("")));
    EXPECT_NE(grid->Cells(1, 1), ansiToQString(doc.records[0].value(0).value_or("")));

    scripted->queueAnswer(MsgAnswer::Yes);
    form.NewBtnClick();
    EXPECT_EQ(grid->RowCount(), 2);
    EXPECT_EQ(grid->Cells(0, 1), QString());
    EXPECT_EQ(grid->Cells(1, 1), QString());
}

#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace {

std::string allHighBytes()
{
    std::string bytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(CodePage, HighBytesSurviveTheRoundTripInEveryCodePage)
{
    const std::string bytes = allHighBytes();
    for (AnsiCodePage page : {AnsiCodePage::Windows1252, AnsiCodePage::Latin1}) {
        const QString text = ansiToQString(bytes, page);
        ASSERT_EQ(text.size(), 128);
        EXPECT_EQ(qStringToAnsi(text, page), bytes);
    }
}

TEST(CodePage, Windows1252IsTheDefaultAndMapsItsOwnCharacters)
{
    EXPECT_EQ(ansiCodePage(), AnsiCodePage::Windows1252);
    EXPECT_EQ(ansiToQString("\x80"), QString(QChar(0x20AC)));           // euro sign
    EXPECT_EQ(ansiToQString("\x9F"), QString(QChar(0x0178)));           // Y with diaeresis
    EXPECT_EQ(ansiToQString("\x93Gr\xFC\xDF\x65\x94"), QStringLiteral("\u201CGrüße\u201D"));
    EXPECT_EQ(qStringToAnsi(QStringLiteral("Stra\u00DFe \u20AC 5 \u2013 \u2122")), "Stra\xDF" "e \x80 5 \x96 \x99");
}

TEST(CodePage, Latin1KeepsTheControlRange)
{
    EXPECT_EQ(ansiToQString("\x80", AnsiCodePage::Latin1), QString(QChar(0x80)));
    EXPECT_EQ(qStringToAnsi(QString(QChar(0x20AC)), AnsiCodePage::Latin1), "?");
}

TEST(CodePage, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(qStringToAnsi(QStringLiteral("a\u0416b")), "a?b");
    // One character outside the basic plane is one '?', not two.
    EXPECT_EQ(qStringToAnsi(QString::fromUcs4(U"x\U0001F600y")), "x?y");
    // A C1 control that 1252 gives a printable character has no byte of its own.
    EXPECT_EQ(qStringToAnsi(QString(QChar(0x80))), "?");
}

TEST(CodePage, ZeroEndsTheText)
{
    QString text = QStringLiteral("ab");
    text.append(QChar(0));
    text.append(QStringLiteral("cd"));
    EXPECT_EQ(qStringToAnsi(text), "ab");
}

TEST(CodePage, ChosenCodePageIsUsedByTheShortForms)
{
    setAnsiCodePage(AnsiCodePage::Latin1);
    const QString latin = ansiToQString("\x80");
    setAnsiCodePage(AnsiCodePage::Windows1252);
    EXPECT_EQ(latin, QString(QChar(0x80)));
    EXPECT_EQ(ansiToQString("\x80"), QString(QChar(0x20AC)));
}

}  // namespace

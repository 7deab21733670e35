#include "platform/CodePage.h"

#include <array>
#include <atomic>
#include <QList>

namespace {

std::atomic<AnsiCodePage> activePage{AnsiCodePage::Windows1252};

// 0x80..0x9F of Windows-1252. The five values the code page leaves undefined map to the C1
// control of the same number, as the system conversion does, which keeps them reversible.
constexpr std::array<char16_t, 32> kWin1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t toUnicode(unsigned char byte, AnsiCodePage page)
{
    if (page == AnsiCodePage::Windows1252 && byte >= 0x80 && byte < 0xA0)
        return kWin1252High[byte - 0x80];
    return byte;
}

bool undefinedIn1252(char32_t ch) { return ch == 0x81 || ch == 0x8D || ch == 0x8F || ch == 0x90 || ch == 0x9D; }

// The byte for a character, or -1 when the code page has none.
int fromUnicode(char32_t ch, AnsiCodePage page)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return int(ch);
    if (page == AnsiCodePage::Latin1)
        return ch < 0xA0 ? int(ch) : -1;
    if (ch < 0xA0)
        return undefinedIn1252(ch) ? int(ch) : -1;
    for (size_t i = 0; i < kWin1252High.size(); ++i)
        if (kWin1252High[i] == ch)
            return int(0x80 + i);
    return -1;
}

}  // namespace

AnsiCodePage ansiCodePage() { return activePage.load(); }
void setAnsiCodePage(AnsiCodePage page) { activePage.store(page); }

QString ansiToQString(std::string_view bytes) { return ansiToQString(bytes, ansiCodePage()); }

QString ansiToQString(std::string_view bytes, AnsiCodePage page)
{
    QString text;
    text.reserve(qsizetype(bytes.size()));
    for (char c : bytes)
        text.append(QChar(toUnicode(static_cast<unsigned char>(c), page)));
    return text;
}

std::string qStringToAnsi(const QString& text) { return qStringToAnsi(text, ansiCodePage()); }

std::string qStringToAnsi(const QString& text, AnsiCodePage page)
{
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (const uint ch : text.toUcs4()) {
        if (ch == 0)
            break;
        const int byte = fromUnicode(ch, page);
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

std::string utf8ToAnsi(std::string_view utf8)
{
    return qStringToAnsi(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

std::string ansiToUtf8(std::string_view ansi) { return ansiToQString(ansi).toStdString(); }

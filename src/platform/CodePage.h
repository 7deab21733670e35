// Texts of the document and of form, CSV and settings files are bytes of the ANSI code page;
// these convert them to and from QString at a widget or a painter. Every byte value has a
// character of its own, so bytes -> QString -> bytes gives back the same bytes: a name typed or
// read on another machine keeps its bytes even where a code page leaves a value undefined.
#pragma once

#include <QString>
#include <string>
#include <string_view>

enum class AnsiCodePage {
    Windows1252,  // the default
    Latin1,       // ISO 8859-1
};

// The code page used by ansiToQString and qStringToAnsi; process-wide, Windows-1252 unless set.
AnsiCodePage ansiCodePage();
void setAnsiCodePage(AnsiCodePage page);

QString ansiToQString(std::string_view bytes);
QString ansiToQString(std::string_view bytes, AnsiCodePage page);

// Characters the code page cannot hold become '?'; a zero character ends the text, since the
// document's texts are zero-terminated.
std::string qStringToAnsi(const QString& text);
std::string qStringToAnsi(const QString& text, AnsiCodePage page);

// UTF-8 text (a file that says so with its byte-order mark) in the code page; characters it
// cannot hold, and bytes that are no UTF-8, become '?'.
std::string utf8ToAnsi(std::string_view utf8);
// The code page's text as UTF-8.
std::string ansiToUtf8(std::string_view ansi);

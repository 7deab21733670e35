#include "platform/PdfFileReplacement.h"

#include "platform/LocalFileName.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace {

std::error_code lastError() { return {errno != 0 ? errno : EIO, std::generic_category()}; }

// Makes an empty file of a name no one else uses beside target; empty with error set when the
// folder takes none.
QString makeTemporaryBeside(const QString& target, std::error_code& error)
{
    static std::atomic<unsigned> counter{0};
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString name = info.absoluteDir().filePath(
            QStringLiteral(".%1.%2-%3.tmp").arg(info.fileName()).arg(QCoreApplication::applicationPid()).arg(counter++));
        errno = 0;
        // "x": never take over a file that is already there.
        if (std::FILE* file = std::fopen(localFileName(name).c_str(), "wbx")) {
            std::fclose(file);
            return name;
        }
        error = lastError();
        if (error != std::errc::file_exists)
            break;
    }
    return {};
}

// The engine keeps the error of its writes to itself; writing on where the file ends meets the
// same error again and tells it. A write that now succeeds still leaves a damaged file.
std::error_code whyWritesFail(const QString& path)
{
    const std::string name = localFileName(path);
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(name, sizeError);
    std::FILE* file = std::fopen(name.c_str(), "ab");
    if (!file)
        return lastError();
    const std::vector<char> block(64 * 1024, ' ');
    std::error_code error;
    errno = 0;
    if (std::fwrite(block.data(), 1, block.size(), file) != block.size() || std::fflush(file) != 0)
        error = lastError();
    std::fclose(file);
    if (!sizeError)
        std::filesystem::resize_file(name, size, sizeError);
    return error ? error : std::make_error_code(std::errc::io_error);
}

bool isAsciiNumber(const QByteArray& text) { return !text.isEmpty() && std::all_of(text.begin(), text.end(), ::isdigit); }

}  // namespace

bool pdfFileComplete(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (!file.read(5).startsWith("%PDF-"))
        return false;
    // "startxref\n<offset> \n%%EOF\n" ends the file.
    constexpr qint64 kTail = 64;
    file.seek(std::max<qint64>(0, size - kTail));
    const QByteArray tail = file.read(kTail);
    const QByteArray end = " \n%%EOF\n";
    const qsizetype start = tail.lastIndexOf("startxref\n");
    if (!tail.endsWith(end) || start < 0)
        return false;
    const QByteArray offsetText = tail.mid(start + 10, tail.size() - end.size() - start - 10);
    bool ok = false;
    const qint64 offset = offsetText.toLongLong(&ok);
    if (!isAsciiNumber(offsetText) || !ok || offset <= 0 || offset >= size)
        return false;
    // "xref\n0 <rows>\n", then 20 bytes a row, then "trailer\n".
    file.seek(offset);
    const QByteArray head = file.read(32);
    const qsizetype headEnd = head.indexOf('\n', 7);
    if (!head.startsWith("xref\n0 ") || headEnd < 0)
        return false;
    const QByteArray rowsText = head.mid(7, headEnd - 7);
    const qint64 rows = rowsText.toLongLong(&ok);
    if (!isAsciiNumber(rowsText) || !ok || rows > size / 20)
        return false;
    const qint64 trailer = offset + headEnd + 1 + 20 * rows;
    if (trailer >= size)
        return false;
    file.seek(trailer);
    return file.read(8) == "trailer\n";
}

PdfFileReplacement::PdfFileReplacement(const QString& target) : target_(target)
{
    // Printing over a link writes the file it points to, not a new file in the link's place.
    const QFileInfo link(target);
    if (link.isSymLink() && link.exists())
        target_ = link.canonicalFilePath();
    if (target.isEmpty()) {
        error_ = std::make_error_code(std::errc::invalid_argument);
        return;
    }
    fileName_ = makeTemporaryBeside(target_, error_);
    if (fileName_.isEmpty() && (error_ == std::errc::permission_denied || error_ == std::errc::operation_not_permitted)) {
        const QFileInfo info(target_);
        if (info.isFile() && info.isWritable()) {
            fileName_ = target_;
            inPlace_ = true;
        }
    }
    opened_ = !fileName_.isEmpty();
    if (opened_)
        error_.clear();
}

PdfFileReplacement::~PdfFileReplacement() { discard(); }

WriteResult PdfFileReplacement::commit()
{
    if (!opened_)
        return result();
    if (!pdfFileComplete(fileName_)) {
        error_ = whyWritesFail(fileName_);
        discard();
        return result();
    }
    if (inPlace_) {
        fileName_.clear();
        return result();
    }
    const std::string temporary = localFileName(fileName_);
    const std::string target = localFileName(target_);
    std::error_code error;
    const std::filesystem::file_status old = std::filesystem::status(target, error);
    const auto permissions = !error && std::filesystem::is_regular_file(old)
                                 ? old.permissions()
                                 : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                       std::filesystem::perms::group_read | std::filesystem::perms::others_read;
    std::filesystem::permissions(temporary, permissions, error);
    std::filesystem::rename(temporary, target, error_);
    if (error_) {
        discard();
        return result();
    }
    fileName_.clear();
    return result();
}

void PdfFileReplacement::discard()
{
    if (fileName_.isEmpty() || inPlace_)
        return;
    QFile::remove(fileName_);
    fileName_.clear();
}

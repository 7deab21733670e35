#include "installer/InstallScript.h"

#include "installer/InstallPaths.h"
#include "installer/InstallTexts.h"

#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace installer {

namespace {

constexpr int kEndOfText = 26; // Ctrl+Z ends the text like the end of the file
// Lines whose text is used as a name or folder; anything longer can't be a path.
constexpr std::size_t kMaxUsedLine = 4096;
constexpr std::size_t kMaxCountLine = 64;

struct ScriptLine {
    std::string text;       // the first characters the caller keeps
    std::size_t length = 0; // the whole line's length
    bool readFailed = false;
};

// Reads lines that end in CR LF, LF or CR, keeping only a bounded start of each so that a huge
// line costs no memory. Reading after the end gives empty lines, as text files do.
class ScriptLines {
public:
    explicit ScriptLines(std::istream& in) : in_(in) {}

    ScriptLine next(std::size_t keep)
    {
        ScriptLine line;
        while (!ended_) {
            const int c = in_.get();
            if (c == std::char_traits<char>::eof() || c == kEndOfText) {
                ended_ = true;
                line.readFailed = in_.bad();
                break;
            }
            if (c == '\n')
                break;
            if (c == '\r') {
                if (in_.peek() == '\n')
                    in_.get();
                break;
            }
            if (line.text.size() < keep)
                line.text.push_back(static_cast<char>(c));
            ++line.length;
        }
        return line;
    }

    bool atEnd()
    {
        if (ended_)
            return true;
        const int c = in_.peek();
        return c == std::char_traits<char>::eof() || c == kEndOfText;
    }

private:
    std::istream& in_;
    bool ended_ = false;
};

bool startsWithIgnoringCase(const std::string& text, const char* prefix)
{
    const std::size_t n = std::strlen(prefix);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (std::toupper(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(prefix[i]))
            return false;
    }
    return true;
}

} // namespace

std::string stripProgrammePrefix(const std::string& line)
{
    if (startsWithIgnoringCase(line, kProgrammePrefix))
        return line.substr(std::strlen(kProgrammePrefix));
    return line;
}

std::optional<int> parseCount(const std::string& text)
{
    int value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+') {
        ++first;
        // from_chars takes its own minus sign: "+-1" must not pass for -1.
        if (first != last && *first == '-')
            return std::nullopt;
    }
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

ProgramFilesBase findProgramFilesBase(InstallSystem& system)
{
    const char separator = system.separator();
    // An empty value would leave the bare folder name as the destination, relative to wherever
    // the installer happens to run: the default base is the sound place instead.
    auto baseFrom = [&](const FolderLookup& lookup) {
        return lookup.value.empty() ? system.defaultProgramFilesBase() : withSeparator(lookup.value, separator);
    };
    if (const FolderLookup machine = system.machineProgramFiles(); machine.keyOpened)
        return {baseFrom(machine), InstallMode::MachineInstall};
    if (const FolderLookup user = system.userAppData(); user.keyOpened)
        return {baseFrom(user), InstallMode::PerUserInstall};
    return {system.defaultProgramFilesBase(), InstallMode::MachineInstall};
}

std::optional<InstallScript> readInstallScript(std::istream& in, InstallSystem& system)
{
    ScriptLines lines(in);
    bool valid = true;
    auto read = [&](std::size_t keep) {
        ScriptLine line = lines.next(keep);
        if (line.readFailed)
            valid = false;
        return line;
    };

    if (read(kMaxUsedLine).text != kScriptHeader || read(kMaxUsedLine).text != kScriptGuard)
        return std::nullopt;

    InstallScript script;
    const ScriptLine product = read(kMaxProductName + 1);
    script.productName = product.text;
    const ScriptLine folder = read(kMaxUsedLine);
    script.folderName = stripProgrammePrefix(folder.text);
    const ProgramFilesBase base = findProgramFilesBase(system);
    script.programFilesBase = base.base;
    script.mode = base.mode;
    script.defaultDestination = base.base + script.folderName;
    const ScriptLine group = read(kMaxUsedLine);
    script.groupName = group.text;
    read(0);
    const ScriptLine countLine = read(kMaxCountLine);

    // The welcome text, the destination box and the entry table have fixed sizes: a script that
    // doesn't fit them is refused rather than cut.
    if (product.length > kMaxProductName || folder.length > kMaxUsedLine || group.length > kMaxUsedLine
        || script.defaultDestination.size() > kMaxFolderText || !(script.groupName.empty() || staysInsideFolder(script.groupName)))
        return std::nullopt;
    const std::optional<int> count = countLine.length <= kMaxCountLine ? parseCount(countLine.text) : std::nullopt;
    if (!count)
        return std::nullopt;
    const auto entryCount = static_cast<std::size_t>(static_cast<std::uint32_t>(*count) & 0xFFFFu);
    if (entryCount > kMaxEntries)
        return std::nullopt;

    for (std::size_t i = 0; i < entryCount; ++i) {
        InstallEntry entry;
        entry.fileName = read(kMaxEntryText).text;
        if (lines.atEnd())
            valid = false;
        entry.label = read(kMaxEntryText).text;
        if (lines.atEnd())
            valid = false;
        script.entries.push_back(std::move(entry));
    }
    if (!valid)
        return std::nullopt;
    return script;
}

std::optional<InstallScript> readInstallScriptFile(const std::string& path, InstallSystem& system)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return readInstallScript(in, system);
}

} // namespace installer

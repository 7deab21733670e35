#include "printcmd/PrintArguments.h"

#include <QSizeF>

#include <charconv>
#include <cmath>

namespace {

// A page of 1200 pixels per inch is already half a gigabyte per thread on A4; more is refused
// rather than tried.
constexpr int kMaxDpi = 1200;

std::optional<int> parsePositive(std::string_view text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1)
        return std::nullopt;
    return value;
}

// The option's value: the next argument. Null when there is none.
const QString* takeValue(const QStringList& arguments, qsizetype& i)
{
    if (i + 1 >= arguments.size())
        return nullptr;
    return &arguments[++i];
}

}  // namespace

std::optional<std::vector<RecordRange>> parseRecordRanges(std::string_view text, QString* error)
{
    std::vector<RecordRange> ranges;
    const auto fail = [&](std::string_view part) -> std::optional<std::vector<RecordRange>> {
        if (error)
            *error = QStringLiteral("--records: \"%1\" is no record number or range (use e.g. 1-5,9,20-)")
                         .arg(QString::fromUtf8(part.data(), qsizetype(part.size())));
        return std::nullopt;
    };
    if (text.empty())
        return fail(text);
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view part = text.substr(start, comma - start);
        const size_t dash = part.find('-');
        RecordRange range;
        if (dash == std::string_view::npos) {
            const std::optional<int> number = parsePositive(part);
            if (!number)
                return fail(part);
            range = {*number, *number};
        } else {
            const std::optional<int> first = parsePositive(part.substr(0, dash));
            const std::string_view rest = part.substr(dash + 1);
            const std::optional<int> last = rest.empty() ? std::optional<int>(0) : parsePositive(rest);
            if (!first || !last || (*last != 0 && *last < *first))
                return fail(part);
            range = {*first, *last};
        }
        ranges.push_back(range);
        start = comma + 1;
    }
    return ranges;
}

std::optional<std::vector<int>> resolveRecords(const std::vector<RecordRange>& ranges, int count, QString* error)
{
    std::vector<int> records;
    if (ranges.empty()) {
        for (int n = 1; n <= count; ++n)
            records.push_back(n);
        return records;
    }
    for (const RecordRange& range : ranges) {
        const int last = range.last == 0 ? count : range.last;
        if (range.first > count || last > count) {
            if (error)
                *error = QStringLiteral("--records names record %1, but the form has %2 record(s)")
                             .arg(std::max(range.first, last))
                             .arg(count);
            return std::nullopt;
        }
        for (int n = range.first; n <= last; ++n)
            records.push_back(n);
    }
    return records;
}

std::optional<std::pair<int, int>> parseResolution(std::string_view text)
{
    const size_t x = text.find_first_of("xX");
    const std::optional<int> across = parsePositive(text.substr(0, x));
    const std::optional<int> down = x == std::string_view::npos ? across : parsePositive(text.substr(x + 1));
    if (!across || !down || *across > kMaxDpi || *down > kMaxDpi)
        return std::nullopt;
    return std::pair{*across, *down};
}

QString usageText()
{
    return QStringLiteral(
        "Usage: velmora-print FORM.frm OUTPUT [options]\n"
        "Prints the records of a form file as the \"Print\" tab of Velmora does, one page per record.\n"
        "\n"
        "Output (exactly one):\n"
        "  --pdf FILE            all pages into one PDF file (written whole or not at all)\n"
        "  --png FOLDER          one PNG file per page, FOLDER/record-N.png (N zero-padded)\n"
        "  --printer NAME        one print job per record on the system printer NAME\n"
        "\n"
        "Options:\n"
        "  --dpi XxY             resolution of the PNG pages, e.g. 600x300 or 300 (default 300)\n"
        "  --csv FILE            the records of a CSV file (read as \"Import...\" reads it) instead of\n"
        "                        the form's own; record 1 of the form gives their fields\n"
        "  --records LIST        only these records, e.g. 1-5,9,20- (20- runs to the last record)\n"
        "  --names               print the field names instead of the values (one page unless\n"
        "                        --records is given)\n"
        "  --with-form           print the picture of the form underneath; a form made from a PDF page\n"
        "                        gets its original page underneath instead, in vector (--pdf only)\n"
        "  --onto ORIGINAL.pdf   each page onto a page of this PDF, underneath in vector (--pdf only)\n"
        "  --onto-page N         the page of ORIGINAL.pdf (default 1)\n"
        "  --shift-x INCHES      move the printout right (default: the form's own shift)\n"
        "  --shift-y INCHES      move the printout down (default: the form's own shift)\n"
        "  --landscape           landscape pages\n"
        "  --paper SIZE          A4, Letter or WxHmm such as 210x297mm (default A4; a printer keeps\n"
        "                        its own paper unless this is given)\n"
        "  --calibration FILE    printer calibration from this options.dat (default: the program's\n"
        "                        own, as the window finds it)\n"
        "  --accept-form-size    go on when the form size's scales match poorly or its points lie\n"
        "                        close together (the window asks; an invalid size always stops)\n"
        "  --threads N           PNG pages on N threads (default: one per core)\n"
        "  --quiet               no progress and no summary on stderr\n"
        "  --help                this text\n"
        "\n"
        "Exit status: 0 done, 1 failed (the reason on stderr), 2 wrong arguments.\n");
}

ParsedArguments parseArguments(const QStringList& arguments)
{
    ParsedArguments parsed;
    PrintOptions& o = parsed.options;
    const auto usage = [&](const QString& error) {
        parsed.status = ParsedArguments::Status::UsageError;
        parsed.error = error;
        return parsed;
    };
    int outputs = 0;
    bool dpiGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--help" || argument == u"-h") {
            parsed.status = ParsedArguments::Status::Help;
            return parsed;
        }
        if (!argument.startsWith(u"--") || argument == u"--") {
            if (argument == u"--" && i + 1 < arguments.size())
                ++i;
            if (!o.formFile.isEmpty())
                return usage(QStringLiteral("more than one form file: \"%1\"").arg(arguments[i]));
            o.formFile = arguments[i];
            continue;
        }
        const auto flag = [&](const char* name, bool& value) {
            if (argument != QLatin1String(name))
                return false;
            value = true;
            return true;
        };
        if (flag("--names", o.names) || flag("--with-form", o.withForm) || flag("--landscape", o.landscape) ||
            flag("--quiet", o.quiet) || flag("--accept-form-size", o.acceptFormSize))
            continue;
        const QString* value = takeValue(arguments, i);
        if (!value)
            return usage(QStringLiteral("unknown option or missing value: %1").arg(argument));
        // A forgotten value must not swallow the next option: "--pdf --quiet" names no file.
        if (value->startsWith(u"--"))
            return usage(QStringLiteral("%1 is missing its value (found the option %2; write ./%2 for a file of "
                                        "that name)")
                             .arg(argument, *value));
        const std::string text = value->toStdString();
        if (argument == u"--pdf" || argument == u"--png" || argument == u"--printer") {
            ++outputs;
            o.output = argument == u"--pdf" ? OutputKind::Pdf : argument == u"--png" ? OutputKind::Png
                                                                                    : OutputKind::Printer;
            o.target = *value;
            if (o.target.isEmpty())
                return usage(QStringLiteral("%1 needs a name").arg(argument));
        } else if (argument == u"--dpi") {
            const auto dpi = parseResolution(text);
            if (!dpi)
                return usage(QStringLiteral("--dpi: \"%1\" is no resolution such as 600x300 (1 to 1200)").arg(*value));
            std::tie(o.dpiX, o.dpiY) = *dpi;
            dpiGiven = true;
        } else if (argument == u"--csv") {
            o.csvFile = *value;
        } else if (argument == u"--records") {
            QString error;
            const auto ranges = parseRecordRanges(text, &error);
            if (!ranges)
                return usage(error);
            o.records = *ranges;
        } else if (argument == u"--shift-x" || argument == u"--shift-y") {
            const std::optional<double> inches = parseFiniteNumber(*value);
            if (!inches)
                return usage(QStringLiteral("%1: \"%2\" is no number of inches").arg(argument, *value));
            (argument == u"--shift-x" ? o.shiftXInch : o.shiftYInch) = inches;
        } else if (argument == u"--paper") {
            o.paper = parsePaper(text);
            if (!o.paper)
                return usage(QStringLiteral("--paper: \"%1\" is not A4, Letter or WxHmm (10 to 2000 mm)").arg(*value));
        } else if (argument == u"--onto") {
            o.ontoFile = *value;
        } else if (argument == u"--onto-page") {
            const std::optional<int> page = parsePositive(text);
            if (!page)
                return usage(QStringLiteral("--onto-page: \"%1\" is no page number").arg(*value));
            o.ontoPage = *page;
        } else if (argument == u"--calibration") {
            o.calibrationFile = *value;
        } else if (argument == u"--threads") {
            const std::optional<int> threads = parsePositive(text);
            if (!threads || *threads > 256)
                return usage(QStringLiteral("--threads: \"%1\" is no thread count from 1 to 256").arg(*value));
            o.threads = *threads;
        } else {
            return usage(QStringLiteral("unknown option: %1").arg(argument));
        }
    }
    if (o.formFile.isEmpty())
        return usage(QStringLiteral("no form file given"));
    if (outputs != 1)
        return usage(QStringLiteral("give exactly one of --pdf FILE, --png FOLDER, --printer NAME"));
    if (o.ontoPage && o.ontoFile.isEmpty())
        return usage(QStringLiteral("--onto-page needs --onto ORIGINAL.pdf"));
    if (!o.ontoFile.isEmpty() && o.output != OutputKind::Pdf)
        return usage(QStringLiteral("--onto applies to --pdf only (the original page stays vector in a PDF)"));
    if (!o.ontoFile.isEmpty() && o.landscape)
        return usage(QStringLiteral("--onto and --landscape do not go together: the original page is the paper"));
    if (dpiGiven && o.output != OutputKind::Png)
        return usage(QStringLiteral("--dpi applies to --png only (a PDF or a printer has its own resolution)"));
    parsed.status = ParsedArguments::Status::Run;
    return parsed;
}

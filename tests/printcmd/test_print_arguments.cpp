#include "printcmd/PrintArguments.h"

#include <QSizeF>
#include <gtest/gtest.h>

namespace {

using Status = ParsedArguments::Status;

QStringList split(const char* line) { return QString::fromUtf8(line).split(u' ', Qt::SkipEmptyParts); }

TEST(PrintArguments, StatusAndErrorPerCommandLine)
{
    struct Row {
        const char* line;
        Status status;
        const char* errorPart;  // a part of the one-line error
    };
    const Row rows[] = {
        {"f.frm --pdf o.pdf", Status::Run, ""},
        {"--png dir f.frm --dpi 600x300 --names --with-form --landscape --quiet", Status::Run, ""},
        {"f.frm --printer Office --paper 210x297mm --shift-x -0.25 --shift-y 1", Status::Run, ""},
        {"f.frm --pdf o.pdf --help", Status::Help, ""},
        {"", Status::UsageError, "no form file"},
        {"f.frm", Status::UsageError, "exactly one of"},
        {"f.frm --pdf o.pdf --png dir", Status::UsageError, "exactly one of"},
        {"f.frm g.frm --pdf o.pdf", Status::UsageError, "more than one form file"},
        {"f.frm --pdf", Status::UsageError, "missing value: --pdf"},
        {"f.frm --pdf --quiet", Status::UsageError, "--pdf is missing its value (found the option --quiet"},
        {"f.frm --pdf o.pdf --calibration --names", Status::UsageError, "--calibration is missing its value"},
        {"f.frm --pdf ./--quiet", Status::Run, ""},
        {"f.frm --pdf o.pdf --colour", Status::UsageError, "--colour"},
        {"f.frm --pdf o.pdf --dpi 600", Status::UsageError, "--png only"},
        {"f.frm --png d --dpi 600y300", Status::UsageError, "--dpi"},
        {"f.frm --png d --dpi 2400x300", Status::UsageError, "--dpi"},
        {"f.frm --pdf o.pdf --records 5-2", Status::UsageError, "\"5-2\""},
        {"f.frm --pdf o.pdf --shift-x half", Status::UsageError, "--shift-x"},
        {"f.frm --pdf o.pdf --paper A3", Status::UsageError, "--paper"},
        {"f.frm --pdf o.pdf --paper 5x297mm", Status::UsageError, "--paper"},
        {"f.frm --png d --threads 0", Status::UsageError, "--threads"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        const ParsedArguments parsed = parseArguments(split(row.line));
        EXPECT_EQ(parsed.status, row.status);
        EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(row.errorPart))) << parsed.error.toStdString();
        EXPECT_FALSE(parsed.error.contains(u'\n'));
    }
}

TEST(PrintArguments, ValuesReachTheOptions)
{
    const ParsedArguments parsed = parseArguments(
        split("--png out f.frm --dpi 600x300 --csv r.csv --records 2,4- --shift-x 0.5 --paper letter --threads 3"));
    ASSERT_EQ(parsed.status, Status::Run);
    const PrintOptions& o = parsed.options;
    EXPECT_EQ(o.formFile, QStringLiteral("f.frm"));
    EXPECT_EQ(o.output, OutputKind::Png);
    EXPECT_EQ(o.target, QStringLiteral("out"));
    EXPECT_EQ(o.dpiX, 600);
    EXPECT_EQ(o.dpiY, 300);
    EXPECT_EQ(o.csvFile, QStringLiteral("r.csv"));
    EXPECT_EQ(o.records, (std::vector<RecordRange>{{2, 2}, {4, 0}}));
    EXPECT_EQ(o.shiftXInch, 0.5);
    EXPECT_FALSE(o.shiftYInch);
    ASSERT_TRUE(o.paper);
    EXPECT_EQ(o.paper->id(), QPageSize::Letter);
    EXPECT_EQ(o.threads, 3);
}

TEST(PrintArguments, RecordListsReadAndResolve)
{
    struct Row {
        const char* text;
        int count;           // records in the form
        std::vector<int> pages;
        bool readable;       // a usage error otherwise
        bool exists;         // a failure otherwise: a record beyond the form
    };
    const Row rows[] = {
        {"1-5,9", 10, {1, 2, 3, 4, 5, 9}, true, true},
        {"3", 3, {3}, true, true},
        {"8-", 10, {8, 9, 10}, true, true},
        {"2,2,1", 2, {2, 2, 1}, true, true},
        {"4-4", 4, {4}, true, true},
        {"1-11", 10, {}, true, false},
        {"11", 10, {}, true, false},
        {"11-", 10, {}, true, false},
        {"", 10, {}, false, false},
        {"0", 10, {}, false, false},
        {"1,,2", 10, {}, false, false},
        {"1,", 10, {}, false, false},
        {"-3", 10, {}, false, false},
        {"5-2", 10, {}, false, false},
        {"1-2-3", 10, {}, false, false},
        {"a", 10, {}, false, false},
        {" 1", 10, {}, false, false},
        {"99999999999", 10, {}, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        QString error;
        const auto ranges = parseRecordRanges(row.text, &error);
        ASSERT_EQ(ranges.has_value(), row.readable) << error.toStdString();
        if (!ranges)
            continue;
        const auto pages = resolveRecords(*ranges, row.count, &error);
        ASSERT_EQ(pages.has_value(), row.exists);
        if (pages)
            EXPECT_EQ(*pages, row.pages);
        else
            EXPECT_TRUE(error.contains(QStringLiteral("%1 record(s)").arg(row.count))) << error.toStdString();
    }
    QString error;
    EXPECT_EQ(resolveRecords({}, 3, &error), (std::vector<int>{1, 2, 3}));
}

TEST(PrintArguments, ResolutionsAndPaperSizes)
{
    EXPECT_EQ(parseResolution("600x300"), (std::pair{600, 300}));
    EXPECT_EQ(parseResolution("300"), (std::pair{300, 300}));
    EXPECT_EQ(parseResolution("1200X72"), (std::pair{1200, 72}));
    for (const char* bad : {"", "x300", "600x", "0x300", "600x300x2", "1201"})
        EXPECT_FALSE(parseResolution(bad)) << bad;

    EXPECT_EQ(parsePaper("A4")->id(), QPageSize::A4);
    const QSizeF custom = parsePaper("100.5x150mm")->size(QPageSize::Millimeter);
    EXPECT_DOUBLE_EQ(custom.width(), 100.5);
    EXPECT_DOUBLE_EQ(custom.height(), 150);
    for (const char* bad : {"B5", "100x150", "100mm", "axbmm", "100x3000mm"})
        EXPECT_FALSE(parsePaper(bad)) << bad;
}

}  // namespace

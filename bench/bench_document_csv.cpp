// CSV import and export of 100 000 records of 11 values, beside python3's csv module reading the
// same file in the same run: the import should beat it and stay within a second, with CR LF, LF
// and CR alone as line ends alike.
//
// Then three large files, each imported in a process of its own so that its peak memory can be
// told (the "peak_MB" counter, the resident high-water mark of that process), again beside
// python3's csv: one line of 100 MB, a million one-character lines (2 MB) and a million records
// of eleven values (about 117 MB). The import should need about twice the file plus the records.
#include "document/RecordCsv.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

constexpr int kRecords = 100000;
constexpr int kValues = 11;

FormDocument takenOver()
{
    FormDocument document;
    for (int i = 0; i < kValues; ++i)
        document.addField(FontSpec{}).name = "Field " + std::to_string(i + 1);
    document.takeOverFields();
    return document;
}

const char* const kLineEnds[] = {"\r\n", "\n", "\r"};

std::string readAll(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The exported file once more with each CR LF replaced by lineEnd.
void writeWithLineEnd(const std::string& from, const std::string& to, const std::string& lineEnd)
{
    const std::string text = readAll(from);
    std::string converted;
    converted.reserve(text.size());
    for (size_t pos = 0; pos < text.size();) {
        const size_t end = std::min(text.find("\r\n", pos), text.size());
        converted.append(text, pos, end - pos);
        if (end < text.size())
            converted += lineEnd;
        pos = end + 2;
    }
    std::ofstream(to, std::ios::binary) << converted;
}

struct CsvFile {
    std::filesystem::path folder;
    std::string file;
    std::string files[3];  // one per entry of kLineEnds
    FormDocument document = takenOver();

    CsvFile()
    {
        folder = std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
        file = (folder / "records.csv").string();
        std::mt19937 generator(11);
        while (document.recordCount() < kRecords)
            document.appendNewRecord();
        // One value of each record holds two lines, as an address does.
        for (int n = 1; n <= kRecords; ++n)
            for (int i = 1; i <= kValues; ++i)
                document.setRecordValue(n, i, "Value " + std::to_string(generator() % 1000000) +
                                                  (i == 3 ? "\r\nsecond line" : ""));
        exportCsvFile(document, file);
        for (int i = 0; i < 3; ++i) {
            files[i] = (folder / ("records-" + std::to_string(i) + ".csv")).string();
            writeWithLineEnd(file, files[i], kLineEnds[i]);
        }
    }
    ~CsvFile()
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
};

CsvFile& csvFile()
{
    static CsvFile file;
    return file;
}

// Argument: the index of the line end in kLineEnds.
void BM_ImportCsv(benchmark::State& state)
{
    const std::string& file = csvFile().files[state.range(0)];
    FormDocument document = takenOver();
    for (auto _ : state) {
        const CsvImportResult result = importCsvFile(document, file, {});
        if (result.recordsAdded != size_t(kRecords))
            state.SkipWithError("import failed");
        state.PauseTiming();
        document.records.resize(1);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(file)));
}

void BM_ExportCsv(benchmark::State& state)
{
    CsvFile& csv = csvFile();
    const std::string target = (csv.folder / "exported.csv").string();
    for (auto _ : state)
        if (!exportCsvFile(csv.document, target))
            state.SkipWithError("export failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(csv.file)));
}

// python3's csv module reading the same file into a list of rows, as the import keeps what it
// reads. The time is the processor time the script measures around the reading, without the
// interpreter's start: compare it with the CPU column of the
// import, since the machine these run on is shared.
void BM_Python3CsvRead(benchmark::State& state)
{
    const std::string& file = csvFile().files[state.range(0)];
    const std::string command =
        "python3 -c \"import csv, sys, time\n"
        "t = time.process_time()\n"
        "with open(sys.argv[1], newline='', encoding='latin-1') as f: rows = list(csv.reader(f))\n"
        "print(time.process_time() - t, len(rows))\" '" + file + "'";
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "r");
        double seconds = -1;
        long rows = 0;
        if (!pipe || std::fscanf(pipe, "%lf %ld", &seconds, &rows) != 2 || rows != kRecords) {
            if (pipe)
                pclose(pipe);
            state.SkipWithError("python3 did not read the file");
            break;
        }
        pclose(pipe);
        state.SetIterationTime(seconds);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(file)));
}

enum LargeFileKind { OneLongLine, OneLongSeparatedLine, MillionShortLines, MillionRecords };

constexpr size_t kLongLineBytes = 100u << 20;
constexpr int kManyLines = 1000000;

struct LargeFile {
    std::string file;
    long lines = 0;  // the rows python3 reads, and the records the import adds
};

// Written in pieces, so that the benchmark process itself stays small.
LargeFile writeLargeFile(const std::filesystem::path& folder, LargeFileKind kind)
{
    LargeFile large;
    large.file = (folder / ("large-" + std::to_string(int(kind)) + ".csv")).string();
    std::ofstream out(large.file, std::ios::binary);
    if (kind == OneLongLine || kind == OneLongSeparatedLine) {
        const std::string piece = kind == OneLongLine ? "\"x\"," : "x;";
        std::string block;
        while (block.size() < (1u << 16))
            block += piece;
        for (size_t written = 0; written < kLongLineBytes; written += block.size())
            out << block;
        large.lines = 1;
    } else if (kind == MillionShortLines) {
        for (int i = 0; i < kManyLines; ++i)
            out << char('a' + i % 26) << '\n';
        large.lines = kManyLines;
    } else {
        std::mt19937 generator(117);
        for (int i = 0; i < kManyLines; ++i) {
            for (int v = 0; v < kValues; ++v)
                out << (v == 0 ? "\"" : "\",\"") << "V " << generator() % 1000000;
            out << "\"\r\n";
        }
        large.lines = kManyLines;
    }
    return large;
}

const LargeFile& largeFile(LargeFileKind kind)
{
    static struct Folder {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("velmora-bench-large-" + std::to_string(std::random_device{}()));
        Folder() { std::filesystem::create_directories(path); }
        ~Folder()
        {
            std::error_code error;
            std::filesystem::remove_all(path, error);
        }
    } folder;
    static LargeFile files[4];
    if (files[kind].file.empty())
        files[kind] = writeLargeFile(folder.path, kind);
    return files[kind];
}

double processSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct Measured {
    double seconds = -1;
    long records = -1;
    double peakMb = 0;
};

// Imports the file in a child process; the parent reads the time and count through a pipe and
// the peak from the child's resource usage.
Measured importInChild(const std::string& file)
{
    Measured measured;
    int ends[2];
    if (pipe(ends) != 0)
        return measured;
    const pid_t child = fork();
    if (child == 0) {
        close(ends[0]);
        FormDocument document = takenOver();
        const double start = processSeconds();
        const CsvImportResult result = importCsvFile(document, file, {});
        const double values[2] = {processSeconds() - start, double(result.recordsAdded)};
        const bool written = write(ends[1], values, sizeof values) == ssize_t(sizeof values);
        _exit(written ? 0 : 1);
    }
    close(ends[1]);
    double values[2] = {-1, -1};
    const bool read = child > 0 && ::read(ends[0], values, sizeof values) == ssize_t(sizeof values);
    close(ends[0]);
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child && read) {
        measured.seconds = values[0];
        measured.records = long(values[1]);
        measured.peakMb = double(usage.ru_maxrss) / 1024.0;
    }
    return measured;
}

// Semicolon-separated values are read as such; a field may be as long as the file.
Measured python3InChild(const std::string& file, bool semicolons)
{
    const std::string command =
        std::string("python3 -c \"import csv, sys, time, resource\n"
                    "csv.field_size_limit(sys.maxsize)\n"
                    "t = time.process_time()\n"
                    "with open(sys.argv[1], newline='', encoding='latin-1') as f: rows = list(csv.reader(f, delimiter='") +
        (semicolons ? ";" : ",") +
        "'))\n"
        "print(time.process_time() - t, len(rows), resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)\" '" +
        file + "'";
    Measured measured;
    FILE* pipe = popen(command.c_str(), "r");
    long peakKb = 0;
    if (pipe && std::fscanf(pipe, "%lf %ld %ld", &measured.seconds, &measured.records, &peakKb) == 3)
        measured.peakMb = double(peakKb) / 1024.0;
    else
        measured.seconds = -1;
    if (pipe)
        pclose(pipe);
    return measured;
}

// Arguments: the file (LargeFileKind), then 0 for the import or 1 for python3's csv.
void BM_LargeCsv(benchmark::State& state)
{
    const LargeFile& large = largeFile(LargeFileKind(state.range(0)));
    double peak = 0;
    for (auto _ : state) {
        const Measured measured = state.range(1) == 0 ? importInChild(large.file) : python3InChild(large.file, state.range(0) != OneLongLine && state.range(0) != MillionRecords);
        if (measured.seconds < 0 || measured.records != large.lines) {
            state.SkipWithError("the file was not read");
            break;
        }
        state.SetIterationTime(measured.seconds);
        peak = std::max(peak, measured.peakMb);
    }
    state.counters["peak_MB"] = peak;
    state.counters["file_MB"] = double(std::filesystem::file_size(large.file)) / (1 << 20);
}

}  // namespace

BENCHMARK(BM_LargeCsv)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->ArgNames({"file", "python3"})
    ->ArgsProduct({{OneLongLine, OneLongSeparatedLine, MillionShortLines, MillionRecords}, {0, 1}});
BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->ArgName("lineEnd")->DenseRange(0, 2);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Python3CsvRead)->Unit(benchmark::kMillisecond)->UseManualTime()->ArgName("lineEnd")->DenseRange(0, 2);
BENCHMARK_MAIN();

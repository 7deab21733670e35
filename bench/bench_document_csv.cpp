// CSV import and export of 100 000 records of 11 values, beside python3's csv module reading the
// same file in the same run: the import should beat it and stay within a second, with CR LF, LF
// and CR alone as line ends alike.
#include "document/RecordCsv.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
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

}  // namespace

BENCHMARK(BM_ImportCsv)->Unit(benchmark::kMillisecond)->ArgName("lineEnd")->DenseRange(0, 2);
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Python3CsvRead)->Unit(benchmark::kMillisecond)->UseManualTime()->ArgName("lineEnd")->DenseRange(0, 2);
BENCHMARK_MAIN();

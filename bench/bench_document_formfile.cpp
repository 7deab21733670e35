// Opening and saving a form whose picture is an A4 page at 600 pixels per inch in 24 bits
// (4960 x 7016, about 104 MB). Opening is measured beside a plain fread of the same file into
// freshly allocated memory, and should stay within 1.2 times of it.
#include "document/FormFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>

namespace {

struct BigForm {
    std::filesystem::path folder;
    std::string file;
    FormDocument document;

    BigForm()
    {
        folder = std::filesystem::temp_directory_path() / ("velmora-bench-" + std::to_string(std::random_device{}()));
        std::filesystem::create_directories(folder);
        file = (folder / "big.frm").string();
        document.picture.reset(newdib(4960, 7016, 24, nullptr, 0));
        Dib& dib = document.picture.get();
        std::mt19937 generator(7);
        const size_t bytes = size_t(dib.rowSize) * 7016;
        for (size_t i = 0; i < bytes; i += 64)
            dib.bits[i] = uint8_t(generator());
        for (int i = 0; i < 40; ++i) {
            FormField& field = document.addField(FontSpec{});
            field.name = "Field " + std::to_string(i);
            field.right = 100 + i;
        }
        writeFormFile(file, document);
    }
    ~BigForm()
    {
        std::error_code error;
        std::filesystem::remove_all(folder, error);
    }
};

BigForm& bigForm()
{
    static BigForm form;
    return form;
}

void BM_SaveForm(benchmark::State& state)
{
    BigForm& form = bigForm();
    const std::string target = (form.folder / "saved.frm").string();
    for (auto _ : state)
        if (!writeFormFile(target, form.document))
            state.SkipWithError("save failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(form.file)));
}

void BM_OpenForm(benchmark::State& state)
{
    BigForm& form = bigForm();
    for (auto _ : state) {
        FormDocument opened;
        if (readFormFile(form.file, opened) != FormReadStatus::Ok)
            state.SkipWithError("open failed");
        benchmark::DoNotOptimize(opened.picture.get().bits);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(form.file)));
}

// The floor of any reader: the same bytes read with fread into memory allocated for them.
void BM_FreadIntoFreshMemory(benchmark::State& state)
{
    BigForm& form = bigForm();
    const size_t size = size_t(std::filesystem::file_size(form.file));
    for (auto _ : state) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(form.file.c_str(), "rb"), &std::fclose);
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[size]);
        if (!file || std::fread(buffer.get(), 1, size, file.get()) != size)
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(buffer[size - 1]);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

} // namespace

BENCHMARK(BM_FreadIntoFreshMemory)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SaveForm)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenForm)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();

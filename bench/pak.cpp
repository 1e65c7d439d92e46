// Archive read paths: bulk reads that descramble from the mapping (memcpy is the physical
// limit), the same file read from the disk, byte-at-a-time reads, and opening by name.

#include "files/PakFile.h"
#include "files/PakInterface.h"
#include "files/PakWriter.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

constexpr size_t BigSize = 4 << 20;
constexpr size_t Chunk = 64 << 10;
constexpr int SmallFiles = 2000;

// One archive and its unpacked twin in a temporary folder, made once for every benchmark.
struct Fixture
{
    Fixture()
    {
        folder = std::filesystem::temp_directory_path() / ("zest-bench-pak-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder / "images");
        std::vector<uint8_t> big(BigSize);
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<uint8_t>(i * 31 + (i >> 9));
        std::ofstream(folder / "big.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(big.data()), static_cast<std::streamsize>(big.size()));
        zest::PakWriter writer;
        std::string error;
        (void)writer.AddFile("big.bin", big, 0, error);
        for (int i = 0; i < SmallFiles; ++i)
            (void)writer.AddFile("images\\sprite" + std::to_string(i) + ".png", std::vector<uint8_t>(100, 1), 0, error);
        (void)writer.WriteTo((folder / "bench.pak").string(), error);
        if (!pak.AddPakFile((folder / "bench.pak").string()))
            std::abort();
        bigInArchive = "big.bin";                  // a relative name: only the archive has it
        bigOnDisk = (folder / "big.bin").string(); // a full path outside the working folder: the disk
    }

    ~Fixture() { std::filesystem::remove_all(folder); }

    std::filesystem::path folder;
    zest::PakInterface pak;
    std::string bigInArchive;
    std::string bigOnDisk;
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void ReadWhole(benchmark::State& state, zest::PakInterfaceBase& files, const std::string& name)
{
    std::vector<char> buffer(Chunk);
    for (auto _ : state)
    {
        zest::PFILE* file = files.FOpen(name.c_str(), "rb");
        size_t total = 0;
        while (size_t got = files.FRead(buffer.data(), 1, buffer.size(), file))
            total += got;
        files.FClose(file);
        benchmark::DoNotOptimize(total);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * BigSize);
}

void BM_FRead_Archive(benchmark::State& state)
{
    Fixture& fixture = Shared();
    ReadWhole(state, fixture.pak, fixture.bigInArchive);
}
BENCHMARK(BM_FRead_Archive)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FRead_Disk(benchmark::State& state)
{
    Fixture& fixture = Shared();
    ReadWhole(state, fixture.pak, fixture.bigOnDisk);
}
BENCHMARK(BM_FRead_Disk)->Repetitions(5)->ReportAggregatesOnly(true);

// The physical limit: the same bytes copied in the same chunks.
void BM_FRead_Memcpy(benchmark::State& state)
{
    std::vector<char> source(BigSize, 7);
    std::vector<char> buffer(Chunk);
    for (auto _ : state)
    {
        for (size_t at = 0; at < BigSize; at += Chunk)
        {
            std::memcpy(buffer.data(), source.data() + at, Chunk);
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * BigSize);
}
BENCHMARK(BM_FRead_Memcpy)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_FGetC_Archive(benchmark::State& state)
{
    Fixture& fixture = Shared();
    zest::PFILE* file = fixture.pak.FOpen(fixture.bigInArchive.c_str(), "rb");
    size_t bytes = 0;
    for (auto _ : state)
    {
        int c = fixture.pak.FGetC(file);
        if (c < 0)
            fixture.pak.FSeek(file, 0, SEEK_SET);
        benchmark::DoNotOptimize(c);
        ++bytes;
    }
    fixture.pak.FClose(file);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(BM_FGetC_Archive)->Repetitions(5)->ReportAggregatesOnly(true);

// Name normalization and the directory look-up, with a directory of SmallFiles entries.
void BM_FOpen_Archive(benchmark::State& state)
{
    Fixture& fixture = Shared();
    int i = 0;
    std::vector<std::string> names;
    for (int k = 0; k < 64; ++k)
        names.push_back("images/Sprite" + std::to_string(k * 31 % SmallFiles) + ".png");
    for (auto _ : state)
    {
        zest::PFILE* file = fixture.pak.FOpen(names[i++ & 63].c_str(), "rb");
        benchmark::DoNotOptimize(file);
        fixture.pak.FClose(file);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_FOpen_Archive)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();

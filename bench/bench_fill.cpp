// Start-up cost of large farms: reading and decoding the eight year files,
// and the whole fill of both worksheets on top of it. The fill must stay
// close to the cost of reading the files, and memory close to their size.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "reference/NutrientClasses.h"
#include "support/RecordWriter.h"
#include "worksheets/Fill.h"
#include "worksheets/Worksheet.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kWorksPerField = 30;

const std::vector<std::string> kCrops = {"Winterweizen", "Wintergerste", "Winterraps",   "Silomais",
                                         "Körnermais",   "Zuckerrüben",  "Sommergerste", "Hafer",
                                         "Roggen",       "Triticale",    "Kartoffeln",   "Erbsen",
                                         "Ackerbohnen",  "Dinkel",       "Sommerweizen"};

// One year of a farm: every field with its crop, 30 works each (N-min
// samples, mineral and organic fertilisations, other works, a harvest, now and
// then a part-area harvest and a follower record), in the work file's key order.
void WriteSyntheticYear(const std::filesystem::path& folder, int year, int fields) {
    std::mt19937 rng(static_cast<std::uint32_t>(year * 7919 + fields));
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto real = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    std::vector<kv4test::FieldSpec> fieldSpecs;
    std::vector<kv4test::WorkSpec> works;
    fieldSpecs.reserve(static_cast<std::size_t>(fields));
    works.reserve(static_cast<std::size_t>(fields) * kWorksPerField);
    const auto yearByte = static_cast<std::uint8_t>(year % 100);
    for (int f = 1; f <= fields; ++f) {
        const std::string& crop = kCrops[static_cast<std::size_t>(pick(15))];
        fieldSpecs.push_back({.fieldNo = static_cast<std::int16_t>(f),
                              .name = "Schlag " + std::to_string(f),
                              .area = real(0.5, 25),
                              .soilType = f % 3 == 0 ? "sL" : "lS",
                              .humus = static_cast<std::uint16_t>(30 + pick(20)),
                              .p2o5Content = real(5, 40),
                              .statusBits = static_cast<std::uint8_t>(f % 50 == 0 ? 1 : 0),
                              .crop = crop});
        for (int k = 0; k < kWorksPerField; ++k) {
            kv4test::WorkSpec w{.fieldNo = static_cast<std::uint16_t>(f),
                                .workType = 1,
                                .date = {static_cast<std::uint8_t>(1 + pick(28)),
                                         static_cast<std::uint8_t>(1 + pick(12)), yearByte, 0}};
            if (k == 0 || k == 1) {
                w.nminMark = 1;
                w.nutrient1 = real(5, 30);
                w.nutrient2 = real(5, 30);
                w.nutrient3 = real(0, 20);
            } else if (k < 5) {
                w.organicMark = 1;
                w.organicProductMark = 1;
                w.amount = real(10, 30);
                w.unit = static_cast<std::uint8_t>(k == 4 ? 6 : 3);
                w.groupFactor = 1;
                w.nutrient1 = real(0.2, 0.8);
            } else if (k == 5) {
                w.workType = 6;
                w.cropName = crop;
                w.amount = real(40, 100);
            } else if (k == 6 && f % 7 == 0) {
                w.workType = 6;
                w.cropName = crop;
                w.amount = real(30, 90);
                w.partAreaMark = 1;
                w.workedArea = real(0.5, 5);
            } else if (k % 10 == 9) {
                w.workType = 3;
                w.followerMark = 1;
            } else {
                w.workType = static_cast<std::uint8_t>(k % 3 == 0 ? 1 : 3);
                w.amount = real(1, 5);
                w.optionalMark = static_cast<std::uint8_t>(k % 11 == 0 ? 1 : 0);
            }
            works.push_back(w);
        }
    }
    kv4test::WriteYear(folder, year, fieldSpecs, works);
}

struct Farm {
    std::unique_ptr<kv4test::TempDir> dir;
    std::string folder;  // with the trailing separator
    double fileBytes = 0;
};

// Written once per size and kept for the whole run.
const Farm& SyntheticFarm(int fields) {
    static std::map<int, Farm> farms;
    auto it = farms.find(fields);
    if (it != farms.end()) return it->second;
    Farm farm;
    farm.dir = std::make_unique<kv4test::TempDir>();
    for (int year = 2015; year <= 2018; ++year) WriteSyntheticYear(farm.dir->path(), year, fields);
    for (const auto& entry : std::filesystem::directory_iterator(farm.dir->path()))
        farm.fileBytes += static_cast<double>(entry.file_size());
    farm.folder = kv4::WithBackslash(farm.dir->path().string());
    return farms.emplace(fields, std::move(farm)).first->second;
}

// Load and fill as the start-up does; returns a cell so nothing is optimised away.
std::string LoadAndFill(const std::string& folder) {
    kv4::FarmData farm;
    if (!kv4::LoadFarmYears(farm, folder).empty()) return {};
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    kv4::FillWorksheets(farm, kv4::NutrientClasses(), n, p, ',');
    return n.Cells(kv4::ncol::Ertragserwartung, 1);
}

// kB values of /proc/self/status.
long StatusKb(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) return std::stol(line.substr(prefix.size()));
    }
    return -1;
}

// The peak of a process cannot be reset reliably once the allocator holds
// freed memory, so the peak is taken from a fresh run of this program that
// does one load and fill and nothing else.
bool PeakOfFreshRun(const std::string& folder, double& peakBytes, double& growthBytes) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + self + "' --peak-child '" + folder + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    long hwmKb = -1;
    long startKb = -1;
    const int read = std::fscanf(pipe, "%ld %ld", &hwmKb, &startKb);
    const int status = pclose(pipe);
    if (read != 2 || status != 0 || hwmKb < 0 || startKb < 0) return false;
    peakBytes = static_cast<double>(hwmKb) * 1024;
    growthBytes = static_cast<double>(hwmKb - startKb) * 1024;
    return true;
}

void BM_LoadFarmYears(benchmark::State& state) {
    const Farm& farm = SyntheticFarm(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        kv4::FarmData data;
        benchmark::DoNotOptimize(kv4::LoadFarmYears(data, farm.folder));
        benchmark::DoNotOptimize(data.Year2015.WorkCount());
    }
    state.counters["files_bytes"] = farm.fileBytes;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * farm.fileBytes));
}

void BM_LoadAndFill(benchmark::State& state) {
    const Farm& farm = SyntheticFarm(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadAndFill(farm.folder));
    }
    state.counters["files_bytes"] = farm.fileBytes;
    double peak = 0;
    double growth = 0;
    if (PeakOfFreshRun(farm.folder, peak, growth)) {
        state.counters["peak_rss_bytes"] = peak;
        state.counters["peak_growth_bytes"] = growth;
        state.counters["peak_growth_per_file_bytes"] = growth / farm.fileBytes;
    } else {
        state.SkipWithError("peak memory run failed");
    }
}

// The fill alone, on registers loaded once: what the start-up adds to reading.
void BM_FillOnly(benchmark::State& state) {
    const Farm& farm = SyntheticFarm(static_cast<int>(state.range(0)));
    kv4::FarmData data;
    if (!kv4::LoadFarmYears(data, farm.folder).empty()) state.SkipWithError("read error");
    const kv4::NutrientClasses classes;
    for (auto _ : state) {
        kv4::Worksheet n = kv4::MakeNWorksheet();
        kv4::Worksheet p = kv4::MakePWorksheet();
        kv4::FillWorksheets(data, classes, n, p, ',');
        benchmark::DoNotOptimize(n.Revision());
    }
    state.counters["rows"] = static_cast<double>(data.Year2018.FieldCount());
}

BENCHMARK(BM_LoadFarmYears)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAndFill)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillOnly)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--peak-child") {
        const long startKb = StatusKb("VmRSS");
        const std::string cell = LoadAndFill(argv[2]);
        const long hwmKb = StatusKb("VmHWM");
        std::printf("%ld %ld\n", hwmKb, startKb);
        return cell.empty() ? 1 : 0;
    }
#ifdef __GLIBC__
    // Keep freed blocks in the heap: otherwise whether an iteration pays for
    // fresh pages depends on what the previous benchmark left behind (a load
    // alone gives everything back, a load with fill does not), and the two
    // timings would not be comparable. The fresh run above measures memory.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Start-up cost of large farms as a farmer gets it: every measured load runs
// in a fresh process, which pays for every page it touches, and is set
// against the floor of the same run: the same eight files streamed through
// one reused 1 MiB buffer, also in a fresh process.
//
//   bench_fill [--fields N]... [--runs R]
//   bench_fill --write-farm FIELDS FOLDER
//
// prints, per farm size, the medians of R runs of each and their ratio, and
// the peak memory growth of a load against the files' size.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"
#include "reference/NutrientClasses.h"
#include "support/LargeFarm.h"
#include "support/TempDir.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/Worksheet.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWorksPerField = 30;

const char* const kYearFiles[] = {"SCHL2018.DAT", "ARB2018.DAT", "SCHL2017.DAT", "ARB2017.DAT",
                                  "SCHL2016.DAT", "ARB2016.DAT", "SCHL2015.DAT", "ARB2015.DAT"};

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

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Child: load and fill as the start-up does. Prints seconds, peak and
// starting resident size in kB.
int LoadChild(const std::string& folder) {
    const long startKb = StatusKb("VmRSS");
    const Clock::time_point start = Clock::now();
    kv4::FarmDigest farm;
    const kv4::ReadErrors errors = kv4::LoadFarmYears(farm, folder);
    const double loadSeconds = SecondsSince(start);
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    kv4::FillWorksheets(farm, kv4::NutrientClasses(), n, p, ',');
    const double seconds = SecondsSince(start);
    const long hwmKb = StatusKb("VmHWM");
    std::printf("%.6f %ld %ld %.6f\n", seconds, hwmKb, startKb, loadSeconds);
    return errors.empty() && n.RowCount() > 2 ? 0 : 1;
}

// Child: the eight files through one reused 1 MiB buffer, nothing else.
int FloorChild(const std::string& folder) {
    std::vector<unsigned char> buffer(std::size_t(1) << 20);
    const Clock::time_point start = Clock::now();
    unsigned sum = 0;
    for (const char* name : kYearFiles) {
        std::FILE* file = std::fopen((folder + name).c_str(), "rb");
        if (file == nullptr) return 1;
        std::setvbuf(file, nullptr, _IONBF, 0);
        std::size_t got = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
            sum += buffer[got - 1];
        std::fclose(file);
    }
    const double seconds = SecondsSince(start);
    std::printf("%.6f %u\n", seconds, sum);
    return 0;
}

struct ChildResult {
    double seconds = 0;
    long hwmKb = 0;
    long startKb = 0;
    double loadSeconds = 0;  // of the seconds, the load alone
};

bool RunChild(const std::string& mode, const std::string& folder, ChildResult& result) {
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string command = "'" + self + "' " + mode + " '" + folder + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    int read = 0;
    if (mode == "--load-child") {
        read = std::fscanf(pipe, "%lf %ld %ld %lf", &result.seconds, &result.hwmKb, &result.startKb,
                           &result.loadSeconds);
        read = read == 4 ? 1 : 0;
    } else {
        unsigned sum = 0;
        read = std::fscanf(pipe, "%lf %u", &result.seconds, &sum) == 2 ? 1 : 0;
    }
    return pclose(pipe) == 0 && read == 1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int Measure(int fields, int runs) {
    kv4test::TempDir dir;
    kv4test::WriteLargeFarm(dir.path(), fields);
    double fileBytes = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        fileBytes += static_cast<double>(entry.file_size());
    const std::string folder = kv4::WithTrailingSeparator(dir.path().string());

    // Once each unmeasured, so both find the files in the page cache.
    ChildResult r;
    if (!RunChild("--floor-child", folder, r) || !RunChild("--load-child", folder, r)) {
        std::fprintf(stderr, "bench_fill: a child run failed\n");
        return 1;
    }
    std::vector<double> floor, load, loadOnly, growth;
    for (int i = 0; i < runs; ++i) {
        if (!RunChild("--floor-child", folder, r)) return 1;
        floor.push_back(r.seconds);
        if (!RunChild("--load-child", folder, r)) return 1;
        load.push_back(r.seconds);
        loadOnly.push_back(r.loadSeconds);
        growth.push_back(static_cast<double>(r.hwmKb - r.startKb) * 1024);
    }
    const double f = Median(floor), l = Median(load), g = Median(growth);
    std::printf("| %d | %.1f MB | %.1f ms | %.1f ms (years read %.1f) | %.2f | %.1f MB | %.2f |\n",
                fields, fileBytes / 1e6, f * 1e3, l * 1e3, Median(loadOnly) * 1e3, l / f, g / 1e6,
                g / fileBytes);
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load-child") return LoadChild(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--floor-child") return FloorChild(argv[2]);
    // The farm of one size into a folder, to start the window on it by hand.
    if (argc == 4 && std::string(argv[1]) == "--write-farm") {
        kv4test::WriteLargeFarm(kv4::PathFromUtf8(argv[3]), std::stoi(argv[2]));
        return 0;
    }
    std::vector<int> sizes;
    int runs = 7;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--fields") {
            sizes.push_back(std::stoi(argv[i + 1]));
        } else if (option == "--runs") {
            runs = std::max(1, std::stoi(argv[i + 1]));
        } else {
            std::fprintf(stderr, "usage: bench_fill [--fields N]... [--runs R]\n");
            return 2;
        }
    }
    if (sizes.empty()) sizes = {200, 2000};
    std::printf("Medians of %d fresh processes each.\n\n", runs);
    std::printf(
        "| Fields per year | Files (8) | (a) floor: stream the files | (b) load + fill "
        "| (b) / (a) | peak memory growth | growth / files |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const int fields : sizes) {
        if (Measure(fields, runs) != 0) return 1;
    }
    return 0;
}

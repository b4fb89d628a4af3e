// The whole start-up without windows on a data folder made from the input:
// each part becomes one entry of the folder (the tag picks its name and
// kind), then the four years are loaded, the master data repaired and read,
// the nutrient class table read, both worksheets filled and recalculated.
// Afterwards every file must hold the bytes it was given, under its own
// name or, for the four padded master-data names, under the repaired one.
#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "data/FileAccess.h"
#include "data/MasterData.h"
#include "fuzz/FuzzInput.h"
#include "reference/NutrientClasses.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"
#include "worksheets/Worksheet.h"
#include "worksheets/YieldSources.h"

using kv4fuzz::Check;
namespace fs = std::filesystem;

namespace {

enum class Kind { File, Folder, DanglingLink };

struct Entry {
    std::string_view name;
    Kind kind;
};

constexpr std::array<Entry, 28> kEntries = {{
    {"SCHL2018.DAT", Kind::File},         {"ARB2018.DAT", Kind::File},
    {"SCHL2017.DAT", Kind::File},         {"ARB2017.DAT", Kind::File},
    {"SCHL2016.DAT", Kind::File},         {"ARB2016.DAT", Kind::File},
    {"SCHL2015.DAT", Kind::File},         {"ARB2015.DAT", Kind::File},
    {"MASCHINE.DAT", Kind::File},         {"DUENGER.DAT", Kind::File},
    {"PFLSCHTZ.DAT", Kind::File},         {"SCHLEPP.DAT", Kind::File},
    {"FRUCHT.DAT", Kind::File},           {"SONSTIG.DAT", Kind::File},
    {"FRUCHT  .DAT", Kind::File},         {"DUENGER .DAT", Kind::File},
    {"SCHLEPP .DAT", Kind::File},         {"SONSTIG .DAT", Kind::File},
    {"NKlassen.dat", Kind::File},         {"schl2018.dat", Kind::File},
    {"arb2017.dat", Kind::File},          {"Verpaech.DAT", Kind::File},
    {"frucht.dat", Kind::File},           {"SCHL2017.DAT", Kind::Folder},
    {"SONSTIG.DAT", Kind::Folder},        {"ARB2018.DAT", Kind::DanglingLink},
    {"SCHL2016.DAT", Kind::DanglingLink}, {"FRUCHT.DAT", Kind::Folder},
}};

const fs::path& Folder() {
    static const fs::path folder = kv4fuzz::TargetFolder("kv4-fuzz-folder");
    return folder;
}

std::string RepairedName(const std::string& padded) {
    for (const auto& [from, to] : kv4::kPaddedMasterNames)
        if (from == padded) return std::string(to);
    return {};
}

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path& dir = Folder();
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
    if (ec) return 0;

    // What each file was given, by name; later parts of the same name win.
    std::map<std::string, std::vector<std::uint8_t>> given;
    for (const kv4fuzz::Part& part : kv4fuzz::SplitParts(data, size)) {
        const Entry& entry = kEntries[part.tag % kEntries.size()];
        const std::string name(entry.name);
        const fs::path path = dir / name;
        if (fs::exists(fs::symlink_status(path, ec))) continue;
        switch (entry.kind) {
            case Kind::File: {
                std::ofstream out(path, std::ios::binary);
                out.write(reinterpret_cast<const char*>(part.bytes.data()),
                          static_cast<std::streamsize>(part.bytes.size()));
                given[name].assign(part.bytes.begin(), part.bytes.end());
                break;
            }
            case Kind::Folder:
                fs::create_directory(path, ec);
                break;
            case Kind::DanglingLink:
                fs::create_symlink("/nonexistent/kv4-fuzz-target", path, ec);
                break;
        }
    }

    const std::string folder = kv4::WithTrailingSeparator(kv4::PathToUtf8(dir));
    kv4::FarmDigest farm;
    // Every message the start-up shows is one of its German texts.
    for (const std::string& text : kv4::LoadFarmYears(farm, folder))
        Check(StartsWith(text, "Fehler beim Lesen der Datei "));
    for (const std::string& text : kv4::LoadMasterData(folder).errors)
        Check(StartsWith(text, "Fehler beim Lesen der Datei ") ||
              StartsWith(text, "Die Datei \u201E"));
    kv4::NutrientClasses classes;
    classes.LoadNutrientClasses(folder);

    if (farm.HasFields2018()) {
        kv4::Worksheet n = kv4::MakeNWorksheet();
        kv4::Worksheet p = kv4::MakePWorksheet();
        kv4::YieldExpectation expectation = kv4::FillWorksheets(farm, classes, n, p, ',');
        // Where the expectations come from: one described source per listed row.
        const std::vector<kv4::YieldSource> sources = kv4::ListYieldSources(expectation, n, ',');
        Check(static_cast<int>(sources.size()) == n.RowCount() - 2);
        for (const kv4::YieldSource& s : sources) Check(!kv4::YieldSourceText(s, ',').empty());
        int listed = 0;
        for (const kv4::FarmDigest::Field& f : farm.Fields2018())
            listed += (f.field.StatusBits() & 1) ? 0 : 1;
        if (listed > 0) {
            Check(n.RowCount() == listed + 2);
            Check(p.RowCount() == n.RowCount());
        }
        for (int r = 1; r < n.RowCount(); ++r) {
            Check(n.Cells(kv4::ncol::Ertragserwartung, r) ==
                  p.Cells(kv4::pcol::Ertragserwartung, r));
        }
        try {
            kv4::RecalcWorksheets(n, p, ',');
        } catch (const kv4::ConversionError&) {
            // A yield beyond the integer range: the handler ends with the
            // standard error box, as for a cell the user typed.
        }
    }

    // Nothing written: every file keeps its bytes, a padded master-data
    // file at most under its repaired name.
    for (const auto& [name, bytes] : given) {
        fs::path path = dir / name;
        if (!fs::exists(fs::symlink_status(path, ec))) {
            const std::string repaired = RepairedName(name);
            Check(!repaired.empty());
            path = dir / repaired;
        }
        Check(kv4fuzz::ReadAll(path) == bytes);
    }
    return 0;
}

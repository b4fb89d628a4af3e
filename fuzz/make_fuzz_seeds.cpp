// make_fuzz_seeds OUTDIR
//
// Cuts the demo farm into small seed inputs for every fuzz target:
// OUTDIR/<target>/seed-NN. The seeds are built at run time, so no binary
// corpus lives in the repository.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "data/MasterData.h"
#include "farmwriter/DemoFarm.h"
#include "farmwriter/RecordWriter.h"
#include "fuzz/FuzzInput.h"
#include "support/HostileFolders.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

using kv4fuzz::ReadAll;

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

class SeedDir {
  public:
    SeedDir(const fs::path& root, const std::string& target) : dir_(root / target) {
        fs::create_directories(dir_);
    }
    void Add(const Bytes& bytes) {
        char name[32];
        std::snprintf(name, sizeof name, "seed-%02d", count_++);
        kv4farm::WriteBytes(dir_ / name, bytes);
    }

  private:
    fs::path dir_;
    int count_ = 0;
};

// The first `fieldCount` fields of a year and the works of those fields,
// at most `worksPerField` each, in file order.
struct SmallYear {
    Bytes fields;
    Bytes works;
};

SmallYear CutYear(const fs::path& data, int year, std::size_t fieldCount,
                  std::size_t worksPerField) {
    const Bytes fieldFile = ReadAll(data / ("SCHL" + std::to_string(year) + ".DAT"));
    const Bytes workFile = ReadAll(data / ("ARB" + std::to_string(year) + ".DAT"));
    kv4::FieldRegister reg;
    reg.LoadFromBytes(fieldFile, workFile);
    SmallYear out;
    std::set<kv4::FieldKey> keys;
    for (std::size_t i = 0; i < reg.Fields().size() && i < fieldCount; ++i) {
        const auto first = fieldFile.begin() + std::ptrdiff_t(i * kv4::kFieldRecordSize);
        out.fields.insert(out.fields.end(), first, first + std::ptrdiff_t(kv4::kFieldRecordSize));
        keys.insert({reg.Fields()[i].FieldNo(), reg.Fields()[i].SubNo()});
    }
    // Raw file bytes, so the follower dates are as stored.
    std::map<kv4::FieldKey, std::size_t> taken;
    for (std::size_t i = 0; i + kv4::kWorkRecordSize <= workFile.size();
         i += kv4::kWorkRecordSize) {
        kv4::WorkRecord w(
            std::span<const std::uint8_t>(workFile).subspan(i).first<kv4::kWorkRecordSize>());
        const kv4::FieldKey key{w.FieldNo(), w.SubNo()};
        if (!keys.count(key) || taken[key] >= worksPerField) continue;
        ++taken[key];
        out.works.insert(out.works.end(), workFile.begin() + std::ptrdiff_t(i),
                         workFile.begin() + std::ptrdiff_t(i + kv4::kWorkRecordSize));
    }
    return out;
}

void RegisterSeeds(const fs::path& data, SeedDir& seeds) {
    for (int year = 2015; year <= 2018; ++year) {
        for (auto [fields, works] : {std::pair{2, 4}, std::pair{5, 12}}) {
            const SmallYear y = CutYear(data, year, fields, works);
            Bytes seed;
            kv4fuzz::AppendPart(seed, 0, y.fields);
            kv4fuzz::AppendPart(seed, 1, y.works);
            seeds.Add(seed);
        }
    }
}

void ClassSeeds(const fs::path& root, SeedDir& seeds) {
    const Bytes table = ReadAll(root / "NKlassen.dat");
    Bytes seed;
    kv4fuzz::AppendPart(seed, 0, table);
    for (const auto& [content, soil] : {std::pair{12.5, "lS"}, std::pair{17.0, "sL"},
                                        std::pair{-1.0, ""}, std::pair{30.0, "Ton"}}) {
        Bytes query(sizeof(double));
        std::memcpy(query.data(), &content, sizeof content);
        query.insert(query.end(), soil, soil + std::strlen(soil));
        kv4fuzz::AppendPart(seed, 1, query);
    }
    seeds.Add(seed);
    Bytes tableOnly;
    kv4fuzz::AppendPart(tableOnly, 0, table);
    seeds.Add(tableOnly);
}

void RegistrySeeds(SeedDir& seeds) {
    const std::string v5 =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Agrar\\Kornavis.INI\\Setup]\r\n"
        "\"Daten\"=\"D:\\\\Agrar\\\\Daten\"\r\n\r\n"
        "[HKEY_CURRENT_USER\\Software\\Other]\r\n@=\"x\"\r\n\"Zahl\"=dword:00000010\r\n";
    seeds.Add(ToBytes(v5));
    // The same as regedit writes it: UTF-16LE with a byte order mark.
    Bytes utf16{0xFF, 0xFE};
    for (const char c : v5) {
        utf16.push_back(static_cast<std::uint8_t>(c));
        utf16.push_back(0);
    }
    seeds.Add(utf16);
    seeds.Add(
        ToBytes("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kornavis.INI\\Setup]\r\n"
                "\"Daten\"=hex(2):43,3a,5c,c4,00\r\n"
                "[HKEY_CURRENT_USER\\Software\\Kornavis.INI\\Setup\\Sub]\r\n"
                "\"Daten\"=dword:00000001\r\n"));
    seeds.Add(
        ToBytes("WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1\n\n"
                "#arch=win32\n\n[Software\\\\Agrar\\\\Kornavis.INI\\\\Setup] 1520000000\n"
                "#time=1d4\n\"Daten\"=\"C:\\\\Agrar\\\\Daten\"\n\n"
                "[Software\\\\Wine] 1\n\"Version\"=str(2):\"a\\0b\\0\"\n"));
}

void NumberSeeds(SeedDir& seeds) {
    const std::vector<std::vector<std::string>> rows = {
        {"12", "   65", "", "0,8", "1,04", "   65", "80", "10", "10", "15", "230", "-46", "-20",
         "   -6", ""},
        {" -7", "56", "x", "1,2", "0,8", "40", "80", "0", "", "", "", "", "", "", ""},
        {"$1F", "1e3", " ", ",5", "-1", "", "", "", "", "", "", "", "", "", ""},
        {"0x7FFFFFFF", "2147483647", "", "99999999999999999999", "0,0000001", "-2147483648",
         "2147483647", "1", "2147483647", "2147483647", "2147483647", "", "", "", ""},
        {"-2147483648", "12.5", "", "1.5", "", "", "", "", "", "", "", "", "", "", ""},
        // Near 10^12 the doubles lie 0.00012 apart: shown with two decimals
        // and read back, the value moves by more than 0.005.
        {"992999999999,705", "", "", "", "", "", "", "", "", "", "", "", "", "", ""},
    };
    for (const auto& row : rows) {
        Bytes seed;
        for (std::size_t i = 0; i < row.size(); ++i) {
            kv4fuzz::AppendPart(seed, i == 0 ? ',' : 0, ToBytes(row[i]));
        }
        seeds.Add(seed);
    }
}

// Tags of fuzz_fill_folder's entry table.
enum Tag : std::uint8_t {
    kSchl2018 = 0,
    kArb2018 = 1,
    kSchl2017 = 2,
    kArb2017 = 3,
    kSchl2016 = 4,
    kArb2016 = 5,
    kSchl2015 = 6,
    kArb2015 = 7,
    kMaschine = 8,
    kDuenger = 9,
    kPflschtz = 10,
    kSchlepp = 11,
    kFrucht = 12,
    kSonstig = 13,
    kFruchtPadded = 14,
    kDuengerPadded = 15,
    kNKlassen = 18,
    kSonstigFolder = 24,
};

// The four years of the farm, each cut to its first fields and their
// first works, tagged as fuzz_fill_folder and fuzz_streamed_farm take them.
void AppendYears(Bytes& seed, const fs::path& data, std::size_t fields, std::size_t works) {
    const std::uint8_t yearTags[4][2] = {
        {kSchl2018, kArb2018}, {kSchl2017, kArb2017}, {kSchl2016, kArb2016}, {kSchl2015, kArb2015}};
    for (int y = 0; y < 4; ++y) {
        const SmallYear small = CutYear(data, 2018 - y, fields, works);
        kv4fuzz::AppendPart(seed, yearTags[y][0], small.fields);
        kv4fuzz::AppendPart(seed, yearTags[y][1], small.works);
    }
}

void FolderSeeds(const fs::path& root, SeedDir& seeds) {
    const fs::path data = root / "Daten";
    const Bytes table = ReadAll(root / "NKlassen.dat");
    for (auto [fields, works] : {std::pair{1, 3}, std::pair{2, 2}}) {
        Bytes seed;
        AppendYears(seed, data, fields, works);
        kv4fuzz::AppendPart(seed, kNKlassen, table);
        const Bytes master(kv4::kMasterRecordSize + 17, 0x5A);
        kv4fuzz::AppendPart(seed, kMaschine, master);
        kv4fuzz::AppendPart(seed, fields == 2 ? kFruchtPadded : kFrucht, master);
        kv4fuzz::AppendPart(seed, kDuengerPadded, master);
        if (fields == 2) kv4fuzz::AppendPart(seed, kSonstigFolder, {});
        seeds.Add(seed);
    }
}

// Cuts of the demo farm, and the whole small farm of the hostile folders,
// whose works of 2018 are N-min samples.
void StreamedFarmSeeds(const fs::path& root, SeedDir& seeds) {
    for (auto [fields, works] : {std::pair{1, 3}, std::pair{2, 2}}) {
        Bytes seed;
        AppendYears(seed, root / "Daten", fields, works);
        seeds.Add(seed);
    }
    const fs::path small = root / "klein";
    kv4test::WriteSmallFarm(small);
    Bytes seed;
    for (int year = 2018; year >= 2015; --year) {
        const auto tag = static_cast<std::uint8_t>(2 * (2018 - year));
        kv4fuzz::AppendPart(seed, tag, ReadAll(small / ("SCHL" + std::to_string(year) + ".DAT")));
        kv4fuzz::AppendPart(seed, tag + 1,
                            ReadAll(small / ("ARB" + std::to_string(year) + ".DAT")));
    }
    seeds.Add(seed);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "Aufruf: make_fuzz_seeds ZIELORDNER\n";
        return 2;
    }
    try {
        const fs::path out = kv4::PathFromUtf8(argv[1]);
        const fs::path farm = out / "demo-farm";
        fs::remove_all(farm);
        kv4farm::WriteDemoFarm(farm);
        SeedDir registerSeeds(out, "fuzz_register");
        RegisterSeeds(farm / "Daten", registerSeeds);
        SeedDir classSeeds(out, "fuzz_nutrient_classes");
        ClassSeeds(farm, classSeeds);
        SeedDir registrySeeds(out, "fuzz_registry");
        RegistrySeeds(registrySeeds);
        SeedDir numberSeeds(out, "fuzz_numbers");
        NumberSeeds(numberSeeds);
        SeedDir folderSeeds(out, "fuzz_fill_folder");
        FolderSeeds(farm, folderSeeds);
        SeedDir streamedSeeds(out, "fuzz_streamed_farm");
        StreamedFarmSeeds(farm, streamedSeeds);
        fs::remove_all(farm);
    } catch (const std::exception& e) {
        std::cerr << "make_fuzz_seeds: " << e.what() << '\n';
        return 1;
    }
    return 0;
}

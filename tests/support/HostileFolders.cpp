#include "support/HostileFolders.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

#include "data/FileAccess.h"
#include "data/MasterData.h"
#include "farmwriter/RecordWriter.h"
#include "support/FarmData.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/NumberFormat.h"
#include "worksheets/Recalc.h"

namespace kv4test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

// 20 kg/ha N-min in three layers dated in March and April 2018.
std::vector<kv4farm::WorkSpec> Works2018() {
    std::vector<kv4farm::WorkSpec> works;
    for (std::uint16_t field : {1, 2, 3}) {
        kv4farm::WorkSpec nmin;
        nmin.fieldNo = field;
        nmin.workType = kv4::kWorkTypeFertilisation;
        nmin.nminMark = 1;
        nmin.nutrient1 = 10;
        nmin.nutrient2 = 6;
        nmin.nutrient3 = 4;
        nmin.date = {15, 3, 18, 0};
        works.push_back(nmin);
        nmin.nutrient1 = 20;
        nmin.date = {2, 4, 18, 0};
        works.push_back(nmin);
    }
    return works;
}

std::vector<kv4farm::FieldSpec> Fields(std::uint8_t yearPart) {
    return {
        {1, 0, "Am Bach", 10, "lS", 45, 12.5, 0, "Winterweizen"},
        {2, 0, "Hoher Acker", 5, "sL", 20, 20, 0, yearPart == 18 ? "Wintergerste" : "Winterweizen"},
        {3, 0, "Dreieck", 4, "lS", 30, 8, 0, "Winterraps"},
    };
}

// Harvests of every field, an organic fertilisation of field 1 in 2017.
std::vector<kv4farm::WorkSpec> EarlierWorks(std::uint8_t yearPart) {
    std::vector<kv4farm::WorkSpec> works;
    for (std::uint16_t field : {1, 2, 3}) {
        if (field == 1 && yearPart == 17) {
            kv4farm::WorkSpec organic;
            organic.fieldNo = 1;
            organic.workType = kv4::kWorkTypeFertilisation;
            organic.organicMark = 1;
            organic.organicProductMark = 1;
            organic.amount = 12.5;
            organic.unit = 3;
            organic.nutrient1 = 0.5;
            organic.date = {20, 3, yearPart, 0};
            works.push_back(organic);
        }
        kv4farm::WorkSpec harvest;
        harvest.fieldNo = field;
        harvest.workType = kv4::kWorkTypeHarvest;
        harvest.cropName = field == 3 ? "Winterraps" : "Winterweizen";
        harvest.amount = field == 3 ? 40 : 80 - yearPart % 3;
        harvest.unit = 2;
        harvest.date = {1, 8, yearPart, 0};
        works.push_back(harvest);
    }
    return works;
}

Bytes MasterBytes(std::size_t records, std::uint8_t fill) {
    return Bytes(records * kv4::kMasterRecordSize, fill);
}

Bytes NKlassenBytes() {
    kv4farm::NKlassenSpec light;
    light.names = {"lS", "Sl", "S", "", "", "", "", ""};
    light.limits = {5, 10, 17, 25};
    kv4farm::NKlassenSpec heavy;
    heavy.names = {"sL", "L", "T", "tL", "lT", "uL", "sT", "Ton"};
    heavy.limits = {8, 15, 23, 30};
    Bytes bytes = kv4farm::EncodeNKlassen(light);
    const Bytes second = kv4farm::EncodeNKlassen(heavy);
    bytes.insert(bytes.end(), second.begin(), second.end());
    return bytes;
}

Bytes Read(const fs::path& file) { return kv4::ReadFileBytes(file).bytes; }

// An organic fertilisation and a harvest of field 1, both in `unit` with
// the product's `groupFactor`: both pass through the unit conversion.
void AddOrganicAndHarvest(std::vector<kv4farm::WorkSpec>& works, std::uint8_t unit,
                          double groupFactor) {
    kv4farm::WorkSpec harvest;
    harvest.fieldNo = 1;
    harvest.workType = kv4::kWorkTypeHarvest;
    harvest.cropName = "Winterweizen";
    harvest.amount = 80;
    harvest.unit = unit;
    harvest.groupFactor = groupFactor;
    kv4farm::WorkSpec organic = harvest;
    organic.workType = kv4::kWorkTypeFertilisation;
    organic.organicMark = 1;
    organic.organicProductMark = 1;
    organic.nutrient1 = 0.5;
    works.push_back(organic);
    works.push_back(harvest);
}

// Applies `change` to every record of `size` bytes of the file.
void PatchRecords(const fs::path& file, std::size_t size,
                  const std::function<void(Bytes& record)>& change) {
    Bytes bytes = Read(file);
    for (std::size_t at = 0; at + size <= bytes.size(); at += size) {
        Bytes record(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + size));
        change(record);
        std::copy(record.begin(), record.end(), bytes.begin() + std::ptrdiff_t(at));
    }
    kv4farm::WriteBytes(file, bytes);
}

const char* const kYearFiles[] = {"SCHL2018.DAT", "ARB2018.DAT", "SCHL2017.DAT", "ARB2017.DAT",
                                  "SCHL2016.DAT", "ARB2016.DAT", "SCHL2015.DAT", "ARB2015.DAT"};

bool IsFieldFile(const std::string& name) { return name.rfind("SCHL", 0) == 0; }

void ForEachYearFile(const fs::path& folder,
                     const std::function<void(const fs::path&, bool fieldFile)>& f) {
    for (const char* name : kYearFiles) f(folder / name, IsFieldFile(name));
}

constexpr std::size_t kFieldStrings[][2] = {{5, 15}, {54, 11}, {246, 252}};
constexpr std::size_t kWorkStrings[][2] = {{25, 15}};
constexpr std::size_t kFieldReals[] = {21, 85};
constexpr std::size_t kWorkReals[] = {41, 106, 119, 126, 132, 138};

}  // namespace

void WriteSmallFarm(const fs::path& folder) {
    fs::create_directories(folder);
    kv4farm::WriteYear(folder, 2018, Fields(18), Works2018());
    for (std::uint8_t y : {17, 16, 15})
        kv4farm::WriteYear(folder, 2000 + y, Fields(y), EarlierWorks(y));
    kv4farm::WriteBytes(folder / "MASCHINE.DAT", MasterBytes(2, 0x11));
    kv4farm::WriteBytes(folder / "DUENGER.DAT", MasterBytes(3, 0x22));
    kv4farm::WriteBytes(folder / "PFLSCHTZ.DAT", MasterBytes(1, 0x33));
    kv4farm::WriteBytes(folder / "SCHLEPP.DAT", MasterBytes(1, 0x44));
    kv4farm::WriteBytes(folder / "FRUCHT.DAT", MasterBytes(2, 0x55));
    kv4farm::WriteBytes(folder / "SONSTIG.DAT", MasterBytes(1, 0x66));
    kv4farm::WriteBytes(folder / "NKlassen.dat", NKlassenBytes());
}

std::vector<HostileFolder> HostileFolders() {
    std::vector<HostileFolder> cases;
    auto add = [&cases](std::string name, std::function<void(const fs::path&)> build,
                        bool needsNoRoot = false) {
        cases.push_back({std::move(name), std::move(build), needsNoRoot});
    };

    add("TruncatedRecords", [](const fs::path& d) {
        WriteSmallFarm(d);
        // Every file loses the second half of its last record.
        for (const auto& entry : fs::directory_iterator(d)) {
            Bytes bytes = Read(entry.path());
            const std::string name = entry.path().filename().string();
            const std::size_t size = IsFieldFile(name)        ? kv4::kFieldRecordSize
                                     : name == "NKlassen.dat" ? kv4::kNutrientClassRecordSize
                                                              : kv4::kWorkRecordSize;
            if (bytes.size() >= size) bytes.resize(bytes.size() - size / 2);
            kv4farm::WriteBytes(entry.path(), bytes);
        }
    });
    add("ZeroLengthFiles", [](const fs::path& d) {
        WriteSmallFarm(d);
        for (const auto& entry : fs::directory_iterator(d)) kv4farm::WriteBytes(entry.path(), {});
    });
    add("ZeroLengthWorkFiles", [](const fs::path& d) {
        WriteSmallFarm(d);
        ForEachYearFile(d, [](const fs::path& f, bool field) {
            if (!field) kv4farm::WriteBytes(f, {});
        });
    });
    add("RandomBytes", [](const fs::path& d) {
        WriteSmallFarm(d);
        std::mt19937 random(20180101);
        for (const auto& entry : fs::directory_iterator(d)) {
            Bytes bytes(Read(entry.path()).size() + random() % 700);
            for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
            kv4farm::WriteBytes(entry.path(), bytes);
        }
    });
    add("LengthBytes255", [](const fs::path& d) {
        WriteSmallFarm(d);
        ForEachYearFile(d, [](const fs::path& f, bool field) {
            PatchRecords(f, field ? kv4::kFieldRecordSize : kv4::kWorkRecordSize,
                         [field](Bytes& r) {
                             if (field) {
                                 for (const auto& s : kFieldStrings) r[s[0]] = 255;
                             } else {
                                 for (const auto& s : kWorkStrings) r[s[0]] = 255;
                             }
                         });
        });
        PatchRecords(d / "NKlassen.dat", kv4::kNutrientClassRecordSize, [](Bytes& r) {
            for (std::size_t slot = 0; slot < 8; ++slot) r[1 + 6 * slot] = 255;
        });
    });
    for (std::uint8_t exponent : {0, 255}) {
        add("Real48Exponent" + std::to_string(exponent), [exponent](const fs::path& d) {
            WriteSmallFarm(d);
            ForEachYearFile(d, [exponent](const fs::path& f, bool field) {
                PatchRecords(f, field ? kv4::kFieldRecordSize : kv4::kWorkRecordSize,
                             [field, exponent](Bytes& r) {
                                 if (field) {
                                     for (std::size_t at : kFieldReals) r[at] = exponent;
                                 } else {
                                     for (std::size_t at : kWorkReals) r[at] = exponent;
                                 }
                             });
            });
            PatchRecords(d / "NKlassen.dat", kv4::kNutrientClassRecordSize, [exponent](Bytes& r) {
                for (std::size_t at = 62; at < 86; at += 6) r[at] = exponent;
            });
        });
    }
    add("UnitCodes15To255", [](const fs::path& d) {
        WriteSmallFarm(d);
        std::vector<kv4farm::WorkSpec> works;
        for (int unit = 15; unit <= 255; ++unit) {
            AddOrganicAndHarvest(works, static_cast<std::uint8_t>(unit), 0.8);
        }
        for (int year : {2017, 2016, 2015}) kv4farm::WriteYear(d, year, Fields(17), works);
    });
    add("GroupFactorZero", [](const fs::path& d) {
        WriteSmallFarm(d);
        std::vector<kv4farm::WorkSpec> works;
        // Volume to mass multiplies by the factor, further units divide by it.
        for (std::uint8_t unit : {5, 6, 9, 12}) AddOrganicAndHarvest(works, unit, 0);
        for (int year : {2017, 2016, 2015}) kv4farm::WriteYear(d, year, Fields(17), works);
    });
    add("FieldNumbersAbove32767", [](const fs::path& d) {
        WriteSmallFarm(d);
        // The field file holds them signed, the work file unsigned.
        std::vector<kv4farm::FieldSpec> fields = Fields(18);
        std::vector<kv4farm::WorkSpec> works = Works2018();
        fields[0].fieldNo = -1;
        fields[1].fieldNo = -32768;
        for (kv4farm::WorkSpec& w : works) {
            if (w.fieldNo == 1) w.fieldNo = 65535;
            if (w.fieldNo == 2) w.fieldNo = 32768;
        }
        std::sort(works.begin(), works.end(),
                  [](const kv4farm::WorkSpec& a, const kv4farm::WorkSpec& b) {
                      return a.fieldNo < b.fieldNo;
                  });
        kv4farm::WriteYear(d, 2018, fields, works);
    });
    add("HundredThousandWorksOfOneField", [](const fs::path& d) {
        WriteSmallFarm(d);
        // Dates falling from record to record: each one belongs in front of
        // all before it, the worst order for sorting the works in.
        kv4farm::WorkSpec nmin;
        nmin.fieldNo = 1;
        nmin.workType = kv4::kWorkTypeFertilisation;
        nmin.nminMark = 1;
        nmin.nutrient1 = 1;
        const Bytes record = kv4farm::EncodeWork(nmin);
        kv4farm::WorkSpec harvest;
        harvest.fieldNo = 1;
        harvest.workType = kv4::kWorkTypeHarvest;
        harvest.cropName = "Winterweizen";
        harvest.amount = 80;
        const Bytes harvestRecord = kv4farm::EncodeWork(harvest);
        constexpr std::size_t kCount = 100000;
        Bytes works2018(kCount * kv4::kWorkRecordSize);
        Bytes works2017(kCount * kv4::kWorkRecordSize);
        for (std::size_t i = 0; i < kCount; ++i) {
            const std::size_t at = i * kv4::kWorkRecordSize;
            std::copy(record.begin(), record.end(), works2018.begin() + std::ptrdiff_t(at));
            std::copy(harvestRecord.begin(), harvestRecord.end(),
                      works2017.begin() + std::ptrdiff_t(at));
            const std::uint32_t date = static_cast<std::uint32_t>(kCount - i);
            for (Bytes* w : {&works2018, &works2017}) {
                (*w)[at + 112] = static_cast<std::uint8_t>(date);
                (*w)[at + 113] = static_cast<std::uint8_t>(date >> 8);
                (*w)[at + 114] = static_cast<std::uint8_t>(date >> 16);
            }
            // The latest sample (the first record) is the only one of 30 kg.
            if (i == 0) {
                const auto thirty = kv4farm::EncodeReal48(30);
                std::copy(thirty.begin(), thirty.end(),
                          works2018.begin() + std::ptrdiff_t(at + 126));
            }
            // Every tenth record follows the one before it.
            if (i % 10 == 5) works2018[at + 15] = 1;
        }
        kv4farm::WriteBytes(d / "ARB2018.DAT", works2018);
        kv4farm::WriteBytes(d / "ARB2017.DAT", works2017);
    });
    add("DuplicateFieldKeys", [](const fs::path& d) {
        WriteSmallFarm(d);
        std::vector<kv4farm::FieldSpec> fields = Fields(18);
        for (kv4farm::FieldSpec& f : fields) f.fieldNo = 1;
        kv4farm::WriteYear(d, 2018, fields, Works2018());
        std::vector<kv4farm::FieldSpec> earlier = Fields(17);
        for (kv4farm::FieldSpec& f : earlier) f.fieldNo = 1;
        kv4farm::WriteYear(d, 2017, earlier, EarlierWorks(17));
    });
    add("FolderInPlaceOfDataFiles", [](const fs::path& d) {
        WriteSmallFarm(d);
        for (const char* name : {"SCHL2017.DAT", "ARB2016.DAT", "MASCHINE.DAT", "NKlassen.dat"}) {
            fs::remove(d / name);
            fs::create_directory(d / name);
        }
    });
    add("FolderInPlaceOfFieldFile2018", [](const fs::path& d) {
        WriteSmallFarm(d);
        fs::remove(d / "SCHL2018.DAT");
        fs::create_directory(d / "SCHL2018.DAT");
    });
    add("DanglingSymlinks", [](const fs::path& d) {
        WriteSmallFarm(d);
        // Where the system gives no symbolic links (Windows without the
        // right to create them), the files are simply missing.
        for (const char* name : {"ARB2018.DAT", "SCHL2016.DAT", "DUENGER.DAT", "NKlassen.dat"}) {
            fs::remove(d / name);
            std::error_code ec;
            fs::create_symlink(d / "gibt-es-nicht.DAT", d / name, ec);
        }
    });
    add(
        "FileWithoutReadPermission",
        [](const fs::path& d) {
            WriteSmallFarm(d);
            for (const char* name : {"ARB2018.DAT", "SCHL2017.DAT", "SONSTIG.DAT"})
                fs::permissions(d / name, fs::perms::none);
        },
        true);
    add(
        "ReadOnlyFolderWithPaddedNames",
        [](const fs::path& d) {
            WriteSmallFarm(d);
            fs::rename(d / "FRUCHT.DAT", d / "FRUCHT  .DAT");
            fs::rename(d / "DUENGER.DAT", d / "DUENGER .DAT");
            fs::permissions(d, fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec);
        },
        true);
    add("PaddedNames", [](const fs::path& d) {
        WriteSmallFarm(d);
        fs::rename(d / "FRUCHT.DAT", d / "FRUCHT  .DAT");
        fs::rename(d / "SONSTIG.DAT", d / "SONSTIG .DAT");
        // Both spellings present: nothing is renamed.
        kv4farm::WriteBytes(d / "SCHLEPP .DAT", MasterBytes(4, 0x77));
        // A folder of the correct name counts as present.
        kv4farm::WriteBytes(d / "DUENGER .DAT", MasterBytes(4, 0x88));
        fs::remove(d / "DUENGER.DAT");
        fs::create_directory(d / "DUENGER.DAT");
    });
    return cases;
}

StartUpResult RunStartUp(const fs::path& folder, YearReading reading) {
    StartUpResult result;
    const std::string dataFolder = kv4::WithTrailingSeparator(kv4::PathToUtf8(folder));
    kv4::FarmDigest& farm = result.digest;
    if (reading == YearReading::Streamed) {
        result.messages = kv4::LoadFarmYears(farm, dataFolder);
    } else {
        FarmData registers;
        result.messages = LoadFarmYears(registers, dataFolder);
        farm = Digest(registers);
    }
    const kv4::MasterData master = kv4::LoadMasterData(dataFolder);
    result.messages.insert(result.messages.end(), master.errors.begin(), master.errors.end());
    for (std::size_t i = 0; i < 6; ++i) result.masterRecords[i] = master.lists[i].size();
    kv4::NutrientClasses classes;
    classes.LoadNutrientClasses(dataFolder);
    result.classRecords = classes.Records().size();
    result.hasFields2018 = farm.HasFields2018();
    if (result.hasFields2018) {
        kv4::FillWorksheets(farm, classes, result.n, result.p, ',');
        try {
            kv4::RecalcWorksheets(result.n, result.p, ',');
        } catch (const kv4::ConversionError& e) {
            result.recalcError = e.what();
        }
    }
    return result;
}

}  // namespace kv4test

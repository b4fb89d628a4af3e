#pragma once
// Damaged and hostile data folders, and the start-up without windows run
// over them: the reliability tests build the folders here and check what
// the program makes of them and that it leaves every byte alone.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "reference/NutrientClasses.h"
#include "worksheets/FarmDigest.h"
#include "worksheets/Fill.h"
#include "worksheets/Worksheet.h"

namespace kv4test {

// A small farm with every file the start-up reads: the years 2015 to 2018
// (three fields of 2018 with N-min samples, harvests and organic
// fertilisation the years before), the six master-data files and
// NKlassen.dat, all in `folder` (created when missing).
void WriteSmallFarm(const std::filesystem::path& folder);

// Folders the start-up must survive. `build` writes the case into an empty
// folder; `needsNoRoot` marks cases that depend on file permissions, which
// root ignores.
struct HostileFolder {
    std::string name;
    std::function<void(const std::filesystem::path& folder)> build;
    bool needsNoRoot = false;
};
std::vector<HostileFolder> HostileFolders();

// Everything the start-up left: what the library reported, what it took
// from the years, the worksheets and the conversion error that ended the
// first recalculation, if any.
struct StartUpResult {
    std::vector<std::string> messages;  // the read errors and failed renames, in order
    kv4::FarmDigest digest;
    bool hasFields2018 = false;
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    std::optional<std::string> recalcError;
    std::size_t masterRecords[6] = {};
    std::size_t classRecords = 0;
};

// How the four years are read: streamed one at a time, as the program does,
// or by the register's literal procedures with all four held at once
// (FarmData), which the streamed reading must match.
enum class YearReading { Streamed, Literal };

// Loads the four years, repairs and reads the master data, reads the
// nutrient class table, fills both worksheets and recalculates them, all
// from `folder`, as the window's start-up does after the folder dialog.
StartUpResult RunStartUp(const std::filesystem::path& folder,
                         YearReading reading = YearReading::Streamed);

}  // namespace kv4test

#pragma once
// The master-data files of Kornavis 4 (machines, fertilisers, plant
// protection, tractors, crops, other items): read as 512-byte records that
// nothing interprets, after the repair of four file names that older
// installations padded with blanks.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data/FileAccess.h"

namespace kv4 {

inline constexpr std::size_t kMasterRecordSize = 512;

// Base names (file name: base name + ".DAT"). Only the first
// kLoadedMasterFiles are loaded; the last two are never opened.
inline constexpr std::array<std::string_view, 8> MasterFileNames = {
    "MASCHINE", "DUENGER", "PFLSCHTZ", "SCHLEPP", "FRUCHT", "SONSTIG", "Verpaech", "DUENGEMP"};
inline constexpr std::size_t kLoadedMasterFiles = 6;

// Padded name -> correct name, in the order they are repaired.
inline constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kPaddedMasterNames = {
    {
        {"FRUCHT  .DAT", "FRUCHT.DAT"},
        {"DUENGER .DAT", "DUENGER.DAT"},
        {"SCHLEPP .DAT", "SCHLEPP.DAT"},
        {"SONSTIG .DAT", "SONSTIG.DAT"},
    }};

using MasterRecord = std::array<std::uint8_t, kMasterRecordSize>;
using MasterList = std::vector<MasterRecord>;

// One list per loaded name, in table order.
using MasterLists = std::array<MasterList, kLoadedMasterFiles>;

struct MasterData {
    MasterLists lists;
    // The failed renames (all of them in one text, a line each) first, then
    // the read errors of the files, in table order.
    ReadErrors errors;
};

// In `folder` (empty: the current directory): when no entry named
// `correct` exists (a file or a folder; where names are case-sensitive, in
// any letter case, as a folder copied from Windows may hold frucht.dat),
// renames the entry named `padded` (there, too, in any letter case) to
// `correct`. Returns the
// message for the user when that rename failed, with the system's reason.
std::optional<std::string> RepairFileName(const std::string& correct, const std::string& padded,
                                          const std::string& folder = {});

// Repairs the four padded names, then reads the records of the six loaded
// files in `folder` (empty: the current directory), found whatever the
// letter case of the stored name. A missing or unopenable file gives an
// empty list silently; a read error gives "Fehler beim Lesen der Datei " +
// base name + ".DAT" and keeps the records read before it. A failed rename
// does not stop the loading.
[[nodiscard]] MasterData LoadMasterData(const std::string& folder);

}  // namespace kv4

#pragma once
#include <filesystem>

namespace kv4farm {

// Writes the demo farm: OUT/Daten/ with the field and work files of the
// harvest years 2015 to 2018 and a few master-data files (FRUCHT.DAT under
// its old padded name "FRUCHT  .DAT"), and OUT/NKlassen.dat.
void WriteDemoFarm(const std::filesystem::path& out);

}  // namespace kv4farm

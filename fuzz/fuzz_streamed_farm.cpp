// The four years of a farm made from the input (parts tagged 0 to 7 become
// the field and work files of 2018 down to 2015; the mutator cuts and garbles
// them together) read as the program reads them, streamed one year at a
// time, and by the register's literal procedures with all four years held at
// once. Both must report the same read errors and take the same from the
// years, to the last bit of every sum; every file keeps its bytes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"
#include "fuzz/FuzzInput.h"
#include "support/FarmData.h"
#include "worksheets/FarmDigest.h"

using kv4fuzz::Check;
namespace fs = std::filesystem;

namespace {

const char* const kYearFiles[] = {"SCHL2018.DAT", "ARB2018.DAT", "SCHL2017.DAT", "ARB2017.DAT",
                                  "SCHL2016.DAT", "ARB2016.DAT", "SCHL2015.DAT", "ARB2015.DAT"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path dir = kv4fuzz::TargetFolder("kv4-fuzz-streamed");
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
    if (ec) return 0;

    // Later parts of the same file win.
    std::map<std::string, std::vector<std::uint8_t>> given;
    for (const kv4fuzz::Part& part : kv4fuzz::SplitParts(data, size))
        given[kYearFiles[part.tag % 8]].assign(part.bytes.begin(), part.bytes.end());
    for (const auto& [name, bytes] : given) kv4farm::WriteBytes(dir / name, bytes);

    const std::string folder = kv4::WithTrailingSeparator(kv4::PathToUtf8(dir));
    kv4::FarmDigest streamed;
    const kv4::ReadErrors streamedErrors = kv4::LoadFarmYears(streamed, folder);
    kv4test::FarmData registers;
    const kv4::ReadErrors literalErrors = kv4test::LoadFarmYears(registers, folder);
    Check(streamedErrors == literalErrors);
    Check(kv4test::DigestDifference(streamed, kv4test::Digest(registers)).empty());

    for (const auto& [name, bytes] : given) Check(kv4fuzz::ReadAll(dir / name) == bytes);
    return 0;
}

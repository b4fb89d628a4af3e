#pragma once
// A large synthetic farm for the benchmarks: every year with the given number
// of fields, 30 works per field and year.
#include <filesystem>

namespace kv4test {

inline constexpr int kLargeFarmWorksPerField = 30;

// SCHL<year>.DAT and ARB<year>.DAT of one year: every field with one of 15
// crops, 30 works each (N-min samples, mineral and organic fertilisations,
// other works, a harvest, now and then a part-area harvest and a follower
// record), in the work file's key order. The same numbers for the same year
// and size.
void WriteLargeFarmYear(const std::filesystem::path& folder, int year, int fields);

// The years 2015 to 2018.
void WriteLargeFarm(const std::filesystem::path& folder, int fields);

}  // namespace kv4test

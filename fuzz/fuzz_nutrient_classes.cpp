// The nutrient class table (part 0 of the input) and class lookups: the soil
// type names of the table itself at and around its limits, and free queries
// (each further part: 8 bytes of a double, then the soil type text).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/FuzzInput.h"
#include "reference/NutrientClasses.h"

using kv4fuzz::Check;

namespace {

bool IsClass(char c) { return std::string_view("ABCDE ").find(c) != std::string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = kv4fuzz::SplitParts(data, size);
    kv4::NutrientClasses table;
    const auto bytes = kv4fuzz::PartBytes(parts, 0);
    table.LoadFromBytes(bytes);
    Check(table.Records().size() <= bytes.size() / kv4::kNutrientClassRecordSize);

    for (const kv4::NutrientClassRecord& record : table.Records()) {
        Check(record.Kind() == 2);
        Check(record.Factor(0) != 0);
        for (int slot = 0; slot < 8; ++slot) {
            const std::string name = record.SoilTypeName(slot);
            // The first record that names the soil type decides; a content on
            // one of its limits belongs to that class or a lower one.
            const kv4::NutrientClassRecord* decides = nullptr;
            for (const auto& r : table.Records()) {
                for (int s = 0; s < 8 && !decides; ++s)
                    if (r.SoilTypeName(s) == name) decides = &r;
                if (decides) break;
            }
            Check(decides != nullptr);
            for (int cls = 0; cls < 4; ++cls) {
                const double limit = decides->Limit(cls);
                const char c = table.ContentClass(name, limit);
                Check(c >= 'A' && c <= 'A' + cls);
                Check(IsClass(table.ContentClass(name, std::nextafter(limit, HUGE_VAL))));
            }
            Check(table.ContentClass(name, NAN) == ' ');
            Check(IsClass(table.ContentClass(name, INFINITY)));
        }
    }

    for (std::size_t i = 1; i < parts.size(); ++i) {
        const auto query = parts[i].bytes;
        double content = 0;
        if (query.size() >= sizeof content) std::memcpy(&content, query.data(), sizeof content);
        const std::size_t textStart =
            query.size() >= sizeof content ? sizeof content : query.size();
        const std::string soil(query.begin() + static_cast<std::ptrdiff_t>(textStart), query.end());
        Check(IsClass(table.ContentClass(soil, content)));
    }
    return 0;
}

// A registry file in any of the accepted formats (the whole input), walked
// key by key, then searched for Kornavis's setup key as at start-up.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "platform/Registry.h"

using kv4fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kv4::RegistryFileReader reader(std::span<const std::uint8_t>(data, size),
                                   "/nonexistent/kv4-fuzz-prefix");
    static_cast<void>(reader.format());

    // Every key, breadth first, each listed key must open again by its path.
    std::deque<std::string> pending{""};
    std::size_t visited = 0;
    while (!pending.empty() && visited < 4096) {
        const std::string path = pending.front();
        pending.pop_front();
        ++visited;
        Check(reader.OpenKey(path));
        for (const std::string& name : reader.GetKeyNames()) {
            Check(!name.empty());
            pending.push_back(path.empty() ? name : path + "\\" + name);
        }
        try {
            static_cast<void>(reader.ReadString("Daten"));
            static_cast<void>(reader.ReadString(""));
        } catch (const kv4::RegistryError&) {
        }
        reader.CloseKey();
        Check(reader.GetKeyNames().empty());
    }

    std::string found;
    kv4::FindSetupKey(reader, "", found);
    if (!found.empty()) {
        Check(found.find(kv4::kSetupKeyText) != std::string::npos);
        Check(reader.OpenKey(found));
        reader.CloseKey();
    }
    try {
        const std::string folder = kv4::LocateDataFolderFromRegistry(reader);
        static_cast<void>(reader.TranslateDataPath(folder));
    } catch (const kv4::RegistryError& e) {
        Check(std::string(e.what()) == kv4::InvalidDataTypeText(kv4::kDataValueName));
    }
    Check(reader.GetKeyNames().empty());
    return 0;
}

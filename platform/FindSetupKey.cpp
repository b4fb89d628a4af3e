#include <string>
#include <vector>

#include "platform/Registry.h"

namespace kv4 {

namespace {

// Closes the reader's key on every way out, exceptions included.
class KeyCloser {
  public:
    explicit KeyCloser(RegistryReader& reader) : reader_(reader) {}
    ~KeyCloser() { reader_.CloseKey(); }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

  private:
    RegistryReader& reader_;
};

void Search(RegistryReader& reader, const std::string& path, std::string& foundPath, int depth) {
    std::vector<std::string> names;
    {
        KeyCloser closer(reader);
        if (reader.OpenKey(path)) names = reader.GetKeyNames();
    }
    // The depth is checked after listing, so the keys of the deepest level
    // searched are still tested themselves.
    const bool descend = depth < kMaxSetupKeySearchDepth;
    for (const std::string& name : names) {
        const std::string s = path.empty() ? name : path + "\\" + name;
        if (descend) Search(reader, s, foundPath, depth + 1);
        if (s.find(kSetupKeyText) != std::string::npos) {
            foundPath = s;
            break;
        }
    }
}

}  // namespace

std::string InvalidDataTypeText(const std::string& name) {
    return "Ungültiger Datentyp für '" + name + "'";
}

void FindSetupKey(RegistryReader& reader, const std::string& path, std::string& foundPath) {
    Search(reader, path, foundPath, 0);
}

std::string LocateDataFolderFromRegistry(RegistryReader& reader) {
    std::string foundPath;
    FindSetupKey(reader, "", foundPath);
    KeyCloser closer(reader);
    reader.OpenKey(foundPath);
    return reader.ReadString(kDataValueName);
}

std::string LocateDataFolder() {
    const std::unique_ptr<RegistryReader> reader = OpenUserRegistry();
    const std::string stored = LocateDataFolderFromRegistry(*reader);
    return reader->TranslateDataPath(stored);
}

}  // namespace kv4

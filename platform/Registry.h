#pragma once
// Read-only access to the current user's registry, where Kornavis 4 keeps
// the path of its data folder. On Windows this is the real registry; on
// other systems a registry file (a regedit export or Wine's user.reg) stands
// in for it. Texts are UTF-8 throughout; nothing here ever writes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv4 {

// A value that is neither a plain nor an expandable string was read as a
// string. The text is the one the user sees: "Ungültiger Datentyp für 'Daten'".
class RegistryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The text of RegistryError for the value `name`.
std::string InvalidDataTypeText(const std::string& name);

// The four operations the search for the data folder needs, on keys below
// HKEY_CURRENT_USER. At most one key is open at a time.
class RegistryReader {
  public:
    virtual ~RegistryReader() = default;

    // Opens the key at `path` (components joined by "\", relative to
    // HKEY_CURRENT_USER; empty: HKEY_CURRENT_USER itself) for reading, after
    // closing the key open before. Letter case does not matter. False when
    // the key does not exist or cannot be opened; no key is open then.
    virtual bool OpenKey(const std::string& path) = 0;

    // Names of the direct subkeys of the open key, in the order the registry
    // lists them, spelt as stored. Empty when no key is open.
    virtual std::vector<std::string> GetKeyNames() = 0;

    // The string value `name` of the open key ("" names the default value).
    // A missing value, or no open key, gives "". A plain or expandable
    // string gives its text (unexpanded, up to its first NUL); any other
    // type throws RegistryError(InvalidDataTypeText(name)).
    virtual std::string ReadString(const std::string& name) = 0;

    // Closes the open key, if any.
    virtual void CloseKey() = 0;

    // A data folder path read from this registry, as a path of this system.
    // Only a Wine registry file has work to do here (drive letters through
    // the prefix's dosdevices links); every other reader returns the text.
    virtual std::string TranslateDataPath(const std::string& text) const { return text; }
};

// The registry of the current user: on Windows the real one (HKEY_CURRENT_USER,
// read access); elsewhere the registry file named by RegistryFilePath(),
// or an empty registry when there is none.
std::unique_ptr<RegistryReader> OpenUserRegistry();

// ---- Registry file ----------------------------------------------------------

// Files above this size are read only up to it (a partial registry).
inline constexpr std::uintmax_t kMaxRegistryFileBytes = std::uintmax_t(64) << 20;
// Keys nested deeper than Windows allows (512 levels) are left out.
inline constexpr std::size_t kMaxRegistryKeyDepth = 512;
// Keys plus values; parsing stops there, so a hostile file cannot exhaust memory.
inline constexpr std::size_t kMaxRegistryEntries = 4'000'000;

// The registry file that stands in for the registry where Windows has none:
// $KV4_REGISTRY when set (and nothing else then, even when it cannot be
// read); otherwise Wine's $WINEPREFIX/user.reg when WINEPREFIX is set, as
// Wine itself uses only that prefix; otherwise $HOME/.wine/user.reg.
// nullopt when none of these variables is set.
std::optional<std::filesystem::path> RegistryFilePath();

// A registry read from a file:
// - "Windows Registry Editor Version 5.00" (UTF-16LE with BOM as regedit
//   writes it, or UTF-8) and "REGEDIT4" (Windows-1252): only the sections
//   of HKEY_CURRENT_USER count; deletions ([-key], "name"=-) are ignored;
// - "WINE REGISTRY Version 2" (Wine's user.reg): keys relative to
//   HKEY_CURRENT_USER with Wine's escapes.
// Subkeys are listed in the order in which they first appear in the file;
// the components of a longer key path are keys too. A later value of the
// same name replaces an earlier one. Anything unreadable (an unknown
// format, a line that does not parse, a truncated file) leaves out what it
// cannot read and never fails.
class RegistryFileReader final : public RegistryReader {
  public:
    enum class Format { Unknown, Regedit5, Regedit4, Wine };

    // An empty registry.
    RegistryFileReader();
    // The registry in `bytes`. `fileFolder` is the folder the file lies in;
    // for Wine's format it is the prefix whose dosdevices links
    // TranslateDataPath follows.
    explicit RegistryFileReader(std::span<const std::uint8_t> bytes,
                                std::filesystem::path fileFolder = {});
    // The registry in `file` (at most kMaxRegistryFileBytes are read); a
    // file that cannot be read gives an empty registry.
    static std::unique_ptr<RegistryFileReader> FromFile(const std::filesystem::path& file);

    ~RegistryFileReader() override;
    RegistryFileReader(const RegistryFileReader&) = delete;
    RegistryFileReader& operator=(const RegistryFileReader&) = delete;

    Format format() const;

    bool OpenKey(const std::string& path) override;
    std::vector<std::string> GetKeyNames() override;
    std::string ReadString(const std::string& name) override;
    void CloseKey() override;

    // For Wine's format: a path beginning with a drive letter ("D:\Agrar\Daten")
    // becomes the target of <prefix>/dosdevices/d: joined with the rest by
    // "/" (each component in the letter case found on disk, as Wine finds
    // it). Without such a link, and for the other formats, the text stays.
    std::string TranslateDataPath(const std::string& text) const override;

  private:
    struct Tree;
    std::unique_ptr<Tree> tree_;
    std::optional<std::size_t> open_;  // node of the open key
};

// ---- The search for Kornavis's setup key -----------------------------------

// The text a key path must contain (case-sensitive) to be the setup key.
inline constexpr const char* kSetupKeyText = "Kornavis.INI\\Setup";
// The value of the setup key that holds the data folder.
inline constexpr const char* kDataValueName = "Daten";
// FindSetupKey descends no deeper than this below `path`; a real registry
// never nests deeper (Windows allows 512 levels), a file may try to.
inline constexpr int kMaxSetupKeySearchDepth = 512;

// Depth first from the key at `path`: for each subkey S in the order the
// registry lists it, first the subtree below S, then S itself. A key whose
// path contains kSetupKeyText is written to `foundPath`, and the rest of
// that level is skipped. So the last match in that order wins.
void FindSetupKey(RegistryReader& reader, const std::string& path, std::string& foundPath);

// Searches the setup key from the root, opens it (HKEY_CURRENT_USER itself
// when none was found; whether it opens is not examined) and returns the
// text of "Daten", as stored. The key is closed on every way out; a "Daten" that is not a
// string throws RegistryError.
std::string LocateDataFolderFromRegistry(RegistryReader& reader);

// The same on the user's registry (OpenUserRegistry), with the text turned
// into a path of this system (TranslateDataPath). The reader is released on every way out, also
// when it throws.
std::string LocateDataFolder();

}  // namespace kv4

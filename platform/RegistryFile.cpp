// The registry where Windows has none: a regedit export or Wine's user.reg,
// parsed into a tree of keys once and then served through the four
// operations of RegistryReader.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "data/FileAccess.h"
#include "data/TextEncoding.h"
#include "platform/Registry.h"

namespace kv4 {

namespace fs = std::filesystem;

namespace {

using U16View = std::u16string_view;

// ---- Text encodings ---------------------------------------------------------

std::u16string DecodeFileText(std::span<const std::uint8_t> b) {
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) return Utf16LeToUtf16(b.subspan(2));
    constexpr std::string_view kRegedit4 = "REGEDIT4";
    const std::string_view raw(reinterpret_cast<const char*>(b.data()), b.size());
    // REGEDIT4 files are in the ANSI code page, even where the bytes happen
    // to form valid UTF-8.
    if (raw.starts_with(kRegedit4)) return Cp1252ToUtf16(b);
    if (raw.starts_with("\xEF\xBB\xBF")) return Utf8ToUtf16(raw.substr(3));
    return Utf8ToUtf16(raw);
}

// Windows compares key and value names without regard to letter case; this
// covers ASCII and Latin-1, which holds every German letter.
char16_t Fold(char16_t c) {
    if (c >= u'a' && c <= u'z') return char16_t(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return char16_t(c - 0x20);
    if (c == 0xFF) return 0x178;
    return c;
}

std::u16string Folded(U16View s) {
    std::u16string out(s);
    for (char16_t& c : out) c = Fold(c);
    return out;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

U16View TrimLeft(U16View s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

U16View Trim(U16View s) {
    s = TrimLeft(s);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == u'\r')) s.remove_suffix(1);
    return s;
}

bool OnlyBlanks(U16View s) { return Trim(s).empty(); }

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits at pos.
std::optional<std::uint32_t> ReadHex(U16View s, std::size_t& pos, int maxDigits) {
    std::uint32_t value = 0;
    int digits = 0;
    while (digits < maxDigits && pos < s.size() && HexDigit(s[pos]) >= 0) {
        value = value * 16 + std::uint32_t(HexDigit(s[pos]));
        ++pos, ++digits;
    }
    if (digits == 0) return std::nullopt;
    return value;
}

std::vector<U16View> SplitPath(U16View path) {
    std::vector<U16View> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(u'\\', start);
        if (end == U16View::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

class Lines {
  public:
    explicit Lines(U16View text) : text_(text) {}
    bool Next(U16View& line) {
        if (pos_ >= text_.size()) return false;
        std::size_t end = text_.find(u'\n', pos_);
        if (end == U16View::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
        pos_ = end + 1;
        return true;
    }

  private:
    U16View text_;
    std::size_t pos_ = 0;
};

// ---- Lines of a registry file -----------------------------------------------

enum class Style { Regedit5, Regedit4, Wine };

// A quoted text from pos (just behind the opening character) to the
// unescaped terminator; pos ends behind the terminator. Regedit writes
// \\ and \" (Wine's regedit also \n, \r, \0); Wine's own files use C
// escapes, \x with up to four hex digits and octal numbers, and take any
// other escaped character as itself. nullopt: no terminator, or an escape
// regedit does not write.
std::optional<std::u16string> ReadQuoted(U16View s, std::size_t& pos, Style style,
                                         char16_t terminator) {
    std::u16string out;
    while (pos < s.size()) {
        const char16_t c = s[pos];
        if (c == terminator) {
            ++pos;
            return out;
        }
        if (c != u'\\') {
            out.push_back(c);
            ++pos;
            continue;
        }
        if (pos + 1 >= s.size()) return std::nullopt;
        const char16_t e = s[pos + 1];
        pos += 2;
        if (style != Style::Wine) {
            switch (e) {
                case u'\\':
                    out.push_back(u'\\');
                    break;
                case u'"':
                    out.push_back(u'"');
                    break;
                case u'n':
                    out.push_back(u'\n');
                    break;
                case u'r':
                    out.push_back(u'\r');
                    break;
                case u'0':
                    out.push_back(u'\0');
                    break;
                default:
                    return std::nullopt;
            }
            continue;
        }
        switch (e) {
            case u'a':
                out.push_back(u'\a');
                break;
            case u'b':
                out.push_back(u'\b');
                break;
            case u'e':
                out.push_back(u'\x1B');
                break;
            case u'f':
                out.push_back(u'\f');
                break;
            case u'n':
                out.push_back(u'\n');
                break;
            case u'r':
                out.push_back(u'\r');
                break;
            case u't':
                out.push_back(u'\t');
                break;
            case u'v':
                out.push_back(u'\v');
                break;
            case u'x': {
                const auto v = ReadHex(s, pos, 4);
                if (!v) return std::nullopt;
                out.push_back(char16_t(*v));
                break;
            }
            default:
                if (e >= u'0' && e <= u'7') {
                    std::uint32_t v = e - u'0';
                    for (int k = 0; k < 2 && pos < s.size() && s[pos] >= u'0' && s[pos] <= u'7';
                         ++k)
                        v = v * 8 + (s[pos++] - u'0');
                    out.push_back(char16_t(v));
                } else {
                    out.push_back(e);
                }
        }
    }
    return std::nullopt;
}

// The bytes of a hex list from pos; a line ending in a backslash goes on
// on the next line. nullopt when anything else stands there.
std::optional<std::vector<std::uint8_t>> ReadHexBytes(U16View line, std::size_t pos, Lines& lines) {
    std::vector<std::uint8_t> bytes;
    const auto skip = [&] {
        while (pos < line.size() && IsBlank(line[pos])) ++pos;
    };
    skip();
    while (pos < line.size()) {
        if (line[pos] == u'\\') {
            if (!OnlyBlanks(line.substr(pos + 1))) return std::nullopt;
            if (!lines.Next(line)) return std::nullopt;  // cut off inside the list
            pos = 0;
            skip();
            continue;
        }
        const auto byte = ReadHex(line, pos, 2);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        skip();
        if (pos < line.size() && line[pos] == u',') {
            ++pos;
            skip();
        } else if (pos < line.size() && line[pos] != u'\\') {
            return std::nullopt;
        }
    }
    return bytes;
}

enum class ValueType : std::uint8_t { String, Expand, Other };

struct ParsedValue {
    std::u16string name;
    ValueType type = ValueType::Other;
    std::u16string text;
};

// Registry types 1 and 2 are the plain and the expandable string.
ValueType TypeOf(std::uint32_t code) {
    if (code == 1) return ValueType::String;
    if (code == 2) return ValueType::Expand;
    return ValueType::Other;
}

std::u16string UpToNul(std::u16string text) {
    const std::size_t nul = text.find(u'\0');
    if (nul != std::u16string::npos) text.resize(nul);
    return text;
}

bool StartsWithFolded(U16View s, std::size_t pos, std::u16string_view prefix) {
    if (s.size() - pos < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Fold(s[pos + i]) != Fold(prefix[i])) return false;
    }
    return true;
}

// One value line ("name"=data or @=data); a hex list may take the lines
// after it. nullopt for a line that does not parse and for deletions.
std::optional<ParsedValue> ParseValue(U16View line, Lines& lines, Style style) {
    ParsedValue v;
    std::size_t pos = 1;
    if (line[0] == u'"') {
        auto name = ReadQuoted(line, pos, style, u'"');
        if (!name) return std::nullopt;
        v.name = std::move(*name);
    }
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] != u'=') return std::nullopt;
    ++pos;
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    if (pos >= line.size()) return std::nullopt;

    const auto quotedText = [&](ValueType type) -> std::optional<ParsedValue> {
        ++pos;  // the opening quote
        auto text = ReadQuoted(line, pos, style, u'"');
        if (!text || !OnlyBlanks(line.substr(pos))) return std::nullopt;
        v.type = type;
        v.text = UpToNul(std::move(*text));
        return v;
    };

    if (line[pos] == u'"') return quotedText(ValueType::String);
    if (style == Style::Wine && StartsWithFolded(line, pos, u"str(")) {
        pos += 4;
        const auto code = ReadHex(line, pos, 8);
        if (!code || pos + 1 >= line.size() || line[pos] != u')' || line[pos + 1] != u':')
            return std::nullopt;
        pos += 2;
        if (pos >= line.size() || line[pos] != u'"') return std::nullopt;
        return quotedText(TypeOf(*code));
    }
    if (StartsWithFolded(line, pos, u"dword:")) {
        pos += 6;
        if (!ReadHex(line, pos, 8) || !OnlyBlanks(line.substr(pos))) return std::nullopt;
        v.type = ValueType::Other;
        return v;
    }
    if (StartsWithFolded(line, pos, u"hex")) {
        pos += 3;
        std::uint32_t code = 3;  // REG_BINARY
        if (pos < line.size() && line[pos] == u'(') {
            ++pos;
            const auto c = ReadHex(line, pos, 8);
            if (!c || pos >= line.size() || line[pos] != u')') return std::nullopt;
            code = *c;
            ++pos;
        }
        if (pos >= line.size() || line[pos] != u':') return std::nullopt;
        const auto bytes = ReadHexBytes(line, pos + 1, lines);
        if (!bytes) return std::nullopt;
        v.type = TypeOf(code);
        if (v.type != ValueType::Other) {
            // Strings in hex form: UTF-16LE, except in REGEDIT4, which
            // writes the ANSI code page.
            v.text =
                UpToNul(style == Style::Regedit4 ? Cp1252ToUtf16(*bytes) : Utf16LeToUtf16(*bytes));
        }
        return v;
    }
    return std::nullopt;
}

}  // namespace

// ---- The tree of keys ----------------------------------------------------------

struct RegistryFileReader::Tree {
    struct Value {
        std::u16string folded;
        ValueType type;
        std::string text;
    };
    struct Node {
        std::string name;  // as first written
        std::vector<std::uint32_t> children;
        std::vector<Value> values;
    };

    Format format = Format::Unknown;
    fs::path folder;
    // Node 0 is HKEY_CURRENT_USER. Nodes refer to each other by index, so
    // a deep tree is freed without recursion.
    std::vector<Node> nodes = std::vector<Node>(1);
    // (parent, folded name) -> child
    std::unordered_map<std::u16string, std::uint32_t> index;
    std::size_t entries = 0;
    bool full = false;

    static std::u16string Key(std::uint32_t parent, U16View name) {
        std::u16string key;
        key.reserve(name.size() + 2);
        key.push_back(char16_t(parent & 0xFFFF));
        key.push_back(char16_t(parent >> 16));
        for (const char16_t c : name) key.push_back(Fold(c));
        return key;
    }

    std::optional<std::uint32_t> Find(std::uint32_t parent, U16View name) const {
        const auto it = index.find(Key(parent, name));
        if (it == index.end()) return std::nullopt;
        return it->second;
    }

    bool Take() {
        if (entries >= kMaxRegistryEntries) {
            full = true;
            return false;
        }
        ++entries;
        return true;
    }

    std::optional<std::uint32_t> Child(std::uint32_t parent, U16View rawName) {
        // A name with a broken surrogate is kept as it reads in UTF-8 (with
        // a replacement character), so that the name handed out opens the key.
        std::string utf8 = Utf16ToUtf8(rawName);
        const std::u16string name = Utf8ToUtf16(utf8);
        std::u16string key = Key(parent, name);
        const auto it = index.find(key);
        if (it != index.end()) return it->second;
        if (!Take()) return std::nullopt;
        const auto child = static_cast<std::uint32_t>(nodes.size());
        nodes.push_back(Node{std::move(utf8), {}, {}});
        nodes[parent].children.push_back(child);
        index.emplace(std::move(key), child);
        return child;
    }

    // Creates the key and the keys on its way. Empty components are
    // skipped; a path deeper than Windows allows is left out.
    std::optional<std::uint32_t> MakePath(const std::vector<U16View>& parts) {
        if (parts.size() > kMaxRegistryKeyDepth) return std::nullopt;
        std::uint32_t node = 0;
        for (const U16View part : parts) {
            const auto child = Child(node, part);
            if (!child) return std::nullopt;
            node = *child;
        }
        return node;
    }

    void AddValue(std::uint32_t node, const ParsedValue& v) {
        if (!Take()) return;
        nodes[node].values.push_back(Value{Folded(v.name), v.type, Utf16ToUtf8(v.text)});
    }

    std::optional<std::uint32_t> RegeditSection(U16View line) {
        const std::size_t close = line.rfind(u']');
        if (close == U16View::npos || close < 1) return std::nullopt;
        const U16View inner = line.substr(1, close - 1);
        if (!inner.empty() && inner.front() == u'-') return std::nullopt;  // a deletion
        std::vector<U16View> parts = SplitPath(inner);
        if (parts.empty() || Folded(parts.front()) != u"HKEY_CURRENT_USER") return std::nullopt;
        parts.erase(parts.begin());
        return MakePath(parts);
    }

    // [Software\\Agrar\\Kornavis.INI\\Setup] 1234567890: the separators are
    // escaped backslashes, a timestamp may follow.
    std::optional<std::uint32_t> WineSection(U16View line) {
        std::size_t pos = 1;
        const auto name = ReadQuoted(line, pos, Style::Wine, u']');
        if (!name) return std::nullopt;
        return MakePath(SplitPath(*name));
    }

    void Parse(U16View text) {
        Lines lines(text);
        U16View line;
        if (!lines.Next(line)) return;
        if (!line.empty() && line.front() == 0xFEFF) line.remove_prefix(1);
        const U16View header = Trim(line);
        Style style;
        if (header == u"Windows Registry Editor Version 5.00") {
            format = Format::Regedit5, style = Style::Regedit5;
        } else if (header == u"REGEDIT4") {
            format = Format::Regedit4, style = Style::Regedit4;
        } else if (header == u"WINE REGISTRY Version 2") {
            format = Format::Wine, style = Style::Wine;
        } else {
            return;
        }
        std::optional<std::uint32_t> current;
        while (!full && lines.Next(line)) {
            const U16View t = TrimLeft(line);
            if (t.empty() || t.front() == u';' || t.front() == u'#') continue;
            if (t.front() == u'[') {
                current = style == Style::Wine ? WineSection(t) : RegeditSection(t);
                continue;
            }
            if (t.front() != u'"' && t.front() != u'@') continue;
            const auto value = ParseValue(t, lines, style);
            if (value && current) AddValue(*current, *value);
        }
    }
};

// ---- RegistryFileReader ---------------------------------------------------------

RegistryFileReader::RegistryFileReader() : tree_(std::make_unique<Tree>()) {}

RegistryFileReader::RegistryFileReader(std::span<const std::uint8_t> bytes, fs::path fileFolder)
    : tree_(std::make_unique<Tree>()) {
    tree_->folder = std::move(fileFolder);
    tree_->Parse(DecodeFileText(bytes.first(
        std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(kMaxRegistryFileBytes)))));
}

RegistryFileReader::~RegistryFileReader() = default;

std::unique_ptr<RegistryFileReader> RegistryFileReader::FromFile(const fs::path& file) {
    const FileContent content = ReadFileBytes(file, kMaxRegistryFileBytes);
    if (content.status == FileContent::Status::NotOpenable)
        return std::make_unique<RegistryFileReader>();
    std::error_code ec;
    const fs::path absolute = fs::absolute(file, ec);
    return std::make_unique<RegistryFileReader>(content.bytes,
                                                (ec ? file : absolute).parent_path());
}

RegistryFileReader::Format RegistryFileReader::format() const { return tree_->format; }

bool RegistryFileReader::OpenKey(const std::string& path) {
    open_.reset();
    const std::u16string wide = Utf8ToUtf16(path);
    std::uint32_t node = 0;
    for (const U16View part : SplitPath(wide)) {
        const auto child = tree_->Find(node, part);
        if (!child) return false;
        node = *child;
    }
    open_ = node;
    return true;
}

std::vector<std::string> RegistryFileReader::GetKeyNames() {
    std::vector<std::string> names;
    if (!open_) return names;
    const Tree::Node& node = tree_->nodes[*open_];
    names.reserve(node.children.size());
    for (const std::uint32_t child : node.children) names.push_back(tree_->nodes[child].name);
    return names;
}

std::string RegistryFileReader::ReadString(const std::string& name) {
    if (!open_) return {};
    const std::u16string folded = Folded(Utf8ToUtf16(name));
    const auto& values = tree_->nodes[*open_].values;
    // The last of several values of one name is the one that counts.
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        if (it->folded != folded) continue;
        if (it->type == ValueType::Other) throw RegistryError(InvalidDataTypeText(name));
        return it->text;
    }
    return {};
}

void RegistryFileReader::CloseKey() { open_.reset(); }

namespace {

// `name` in `dir`: exactly when it exists, otherwise an entry that differs
// only in letter case, as Wine finds DOS names on a Unix file system.
fs::path ChildIgnoringCase(const fs::path& dir, const std::string& name) {
    std::error_code ec;
    const fs::path exact = dir / PathFromUtf8(name);
    if (fs::exists(fs::symlink_status(exact, ec))) return exact;
    fs::directory_iterator it(dir, ec);
    std::optional<std::string> best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string entry = PathToUtf8(it->path().filename());
        if (EqualsIgnoringAsciiCase(entry, name) && (!best || entry < *best)) best = entry;
    }
    return best ? dir / PathFromUtf8(*best) : exact;
}

}  // namespace

std::string RegistryFileReader::TranslateDataPath(const std::string& text) const {
    if (tree_->format != Format::Wine || tree_->folder.empty()) return text;
    if (text.size() < 2 || text[1] != ':') return text;
    const char letter = text[0];
    const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    if (!isLetter || (text.size() > 2 && text[2] != '\\' && text[2] != '/')) return text;

    const fs::path devices = tree_->folder / "dosdevices";
    const char lower = (letter >= 'A' && letter <= 'Z') ? char(letter + 32) : letter;
    const fs::path link = devices / std::string{lower, ':'};
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(link, ec);
    if (ec || !fs::exists(status)) return text;
    fs::path target = link;
    if (fs::is_symlink(status)) {
        target = fs::read_symlink(link, ec);
        if (ec) return text;
        if (target.is_relative()) target = devices / target;
    }
    std::size_t start = 2;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\\/", start);
        if (end == std::string::npos) end = text.size();
        if (end > start) target = ChildIgnoringCase(target, text.substr(start, end - start));
        start = end + 1;
    }
    return PathToUtf8(target.lexically_normal());
}

// ---- Choosing the file ---------------------------------------------------------------

std::optional<fs::path> RegistryFilePath() {
    const auto variable = [](const char* name) -> std::optional<fs::path> {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') return std::nullopt;
        return fs::path(value);
    };
    if (auto file = variable("KV4_REGISTRY")) return file;
    if (auto prefix = variable("WINEPREFIX")) return *prefix / "user.reg";
    if (auto home = variable("HOME")) return *home / ".wine" / "user.reg";
    return std::nullopt;
}

#ifndef _WIN32
std::unique_ptr<RegistryReader> OpenUserRegistry() {
    const auto file = RegistryFilePath();
    if (!file) return std::make_unique<RegistryFileReader>();
    return RegistryFileReader::FromFile(*file);
}
#endif

}  // namespace kv4

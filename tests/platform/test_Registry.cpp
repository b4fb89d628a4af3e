// The registry search for Kornavis's setup key, over registry files in the
// three formats a non-Windows user may have (regedit 5 in UTF-16LE or UTF-8,
// REGEDIT4 in Windows-1252, Wine's user.reg), and over damaged files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "data/ByteReader.h"
#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"
#include "platform/Registry.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

enum class Fmt { Regedit5Utf16, Regedit5Utf8, Regedit4, Wine };
constexpr Fmt kAllFormats[] = {Fmt::Regedit5Utf16, Fmt::Regedit5Utf8, Fmt::Regedit4, Fmt::Wine};

const char* FmtName(Fmt f) {
    switch (f) {
        case Fmt::Regedit5Utf16:
            return "regedit5-utf16";
        case Fmt::Regedit5Utf8:
            return "regedit5-utf8";
        case Fmt::Regedit4:
            return "regedit4";
        case Fmt::Wine:
            return "wine";
    }
    return "";
}

std::u16string Utf16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t c = b;
        std::size_t n = 0;
        if (b >= 0xF0)
            c = b & 0x07, n = 3;
        else if (b >= 0xE0)
            c = b & 0x0F, n = 2;
        else if (b >= 0xC0)
            c = b & 0x1F, n = 1;
        for (std::size_t k = 1; k <= n && i + k < utf8.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += n + 1;
        if (c >= 0x10000) {
            out.push_back(char16_t(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(char16_t(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(char16_t(c));
        }
    }
    return out;
}

Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes Utf16LeWithBom(const std::string& utf8) {
    Bytes out{0xFF, 0xFE};
    for (const char16_t c : Utf16(utf8)) {
        out.push_back(static_cast<std::uint8_t>(c & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return out;
}

std::string HexList(const Bytes& bytes) {
    std::string out;
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", bytes[i]);
        out += buf;
        if (i + 1 < bytes.size()) out += (i % 16 == 15) ? ",\\\r\n  " : ",";
    }
    return out;
}

// ---- Writing a registry in each format --------------------------------------------

enum class Kind { Sz, ExpandSz, Dword, Binary, Multi };
struct Val {
    std::string name;  // "" = default value
    Kind kind = Kind::Sz;
    std::string text;  // UTF-8
};
struct Key {
    std::string path;  // relative to HKEY_CURRENT_USER, "\"-separated
    std::vector<Val> values;
};

std::string Escaped(const std::string& text, Fmt fmt) {
    std::string out;
    if (fmt != Fmt::Wine) {
        for (const char c : text) {
            if (c == '\\' || c == '"') out += '\\';
            out += c;
        }
        return out;
    }
    // Wine writes every non-ASCII UTF-16 unit as \x escape.
    char buf[8];
    for (const char16_t c : Utf16(text)) {
        if (c == u'\\' || c == u'"') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x80) {
            std::snprintf(buf, sizeof buf, "\\x%04x", unsigned(c));
            out += buf;
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string ValueLine(const Val& v, Fmt fmt) {
    std::string line = v.name.empty() ? "@=" : "\"" + Escaped(v.name, fmt) + "\"=";
    switch (v.kind) {
        case Kind::Sz:
            return line + "\"" + Escaped(v.text, fmt) + "\"";
        case Kind::ExpandSz: {
            if (fmt == Fmt::Wine) return line + "str(2):\"" + Escaped(v.text, fmt) + "\"";
            Bytes data;
            if (fmt == Fmt::Regedit4) {
                data = ToBytes(kv4::Utf8ToCp1252(v.text));
                data.push_back(0);
            } else {
                for (const char16_t c : Utf16(v.text)) {
                    data.push_back(std::uint8_t(c & 0xFF));
                    data.push_back(std::uint8_t(c >> 8));
                }
                data.insert(data.end(), {0, 0});
            }
            return line + "hex(2):" + HexList(data);
        }
        case Kind::Dword:
            return line + "dword:0000002a";
        case Kind::Binary:
            return line + "hex:01,02,03";
        case Kind::Multi:
            return line + "hex(7):41,00,00,00,42,00,00,00,00,00";
    }
    return line;
}

Bytes RegistryFile(const std::vector<Key>& keys, Fmt fmt) {
    std::string text;
    const std::string nl = fmt == Fmt::Wine ? "\n" : "\r\n";
    if (fmt == Fmt::Wine) {
        text =
            "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
            "#arch=win32\n";
    } else {
        text = (fmt == Fmt::Regedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00") + nl;
    }
    for (const Key& key : keys) {
        text += nl;
        if (fmt == Fmt::Wine) {
            // Key names are escaped like strings, with the separators doubled.
            std::string name;
            for (const char16_t c : Utf16(key.path)) {
                if (c == u'\\') {
                    name += "\\\\";
                } else if (c >= 0x80) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\x%04x", unsigned(c));
                    name += buf;
                } else {
                    name += char(c);
                }
            }
            text += "[" + name + "] 1600000000\n#time=1d6f3c0b0a0b0c0\n";
        } else {
            text += "[HKEY_CURRENT_USER" + (key.path.empty() ? "" : "\\" + key.path) + "]" + nl;
        }
        for (const Val& v : key.values) text += ValueLine(v, fmt) + nl;
    }
    switch (fmt) {
        case Fmt::Regedit5Utf16:
            return Utf16LeWithBom(text);
        case Fmt::Regedit4:
            return ToBytes(kv4::Utf8ToCp1252(text));
        default:
            return ToBytes(text);
    }
}

Key SetupKey(const std::string& path, const std::string& daten) {
    return {path, {{"Daten", Kind::Sz, daten}}};
}

// ---- The search ------------------------------------------------------------------------

struct SearchCase {
    const char* what;
    std::vector<Key> keys;
    std::string found;
    std::string folder;
};

TEST(FindSetupKey, FindsTheKeyTheWalkTestsLastInEveryFormat) {
    const std::vector<SearchCase> cases = {
        {"the later of two branches wins (file order, not sorted)",
         {SetupKey("Software\\Beta\\Kornavis.INI\\Setup", "C:\\Alt"),
          SetupKey("Software\\Alpha\\Agrar\\Kornavis.INI\\Setup", "D:\\Agrar\\Daten")},
         "Software\\Alpha\\Agrar\\Kornavis.INI\\Setup",
         "D:\\Agrar\\Daten"},
        {"a matching key wins over its matching subkey",
         {SetupKey("Software\\Oben\\Kornavis.INI\\Setup", "C:\\Oben"),
          SetupKey("Software\\Oben\\Kornavis.INI\\Setup\\Unter", "C:\\Unten")},
         "Software\\Oben\\Kornavis.INI\\Setup",
         "C:\\Oben"},
        {"after a match the rest of its level is skipped",
         {SetupKey("Software\\Kornavis.INI\\Setup", "C:\\Erster"),
          SetupKey("Software\\Kornavis.INI\\Setup2", "C:\\Zweiter")},
         "Software\\Kornavis.INI\\Setup",
         "C:\\Erster"},
        {"other letter case does not match",
         {SetupKey("Software\\kornavis.ini\\setup", "C:\\Klein")},
         "",
         ""},
        {"the text may stand inside longer names",
         {SetupKey("Software\\MeinKornavis.INI\\Setup2", "C:\\Umgeben")},
         "Software\\MeinKornavis.INI\\Setup2",
         "C:\\Umgeben"},
        {"no matching key", {SetupKey("Software\\Agrar", "C:\\Falsch")}, "", ""},
        {"a matching key without Daten",
         {{"Software\\Kornavis.INI\\Setup", {{"Anderes", Kind::Sz, "C:\\x"}}}},
         "Software\\Kornavis.INI\\Setup",
         ""},
        {"umlauts, quotes and backslashes",
         {SetupKey("Software\\H\xC3\xB6"
                   "fe\\Kornavis.INI\\Setup",
                   "C:\\H\xC3\xB6"
                   "fe\\\xC3\x84"
                   "cker \"Nord\"\\")},
         "Software\\H\xC3\xB6"
         "fe\\Kornavis.INI\\Setup",
         "C:\\H\xC3\xB6"
         "fe\\\xC3\x84"
         "cker \"Nord\"\\"},
        {"an expandable string is not expanded",
         {{"Software\\Kornavis.INI\\Setup",
           {{"Daten", Kind::ExpandSz, "%SystemDrive%\\Agrar\\Daten \xC3\xA4"}}}},
         "Software\\Kornavis.INI\\Setup",
         "%SystemDrive%\\Agrar\\Daten \xC3\xA4"},
        {"value names ignore letter case",
         {{"Software\\Kornavis.INI\\Setup", {{"DATEN", Kind::Sz, "C:\\Gross"}}}},
         "Software\\Kornavis.INI\\Setup",
         "C:\\Gross"},
    };
    for (const Fmt fmt : kAllFormats) {
        for (const SearchCase& c : cases) {
            SCOPED_TRACE(std::string(FmtName(fmt)) + ": " + c.what);
            kv4::RegistryFileReader reader(RegistryFile(c.keys, fmt));
            std::string found;
            kv4::FindSetupKey(reader, "", found);
            EXPECT_EQ(found, c.found);
            EXPECT_EQ(kv4::LocateDataFolderFromRegistry(reader), c.folder);
        }
    }
}

TEST(FindSetupKey, DatenOfTheRootKeyIsReadWhenNoKeyMatches) {
    for (const Fmt fmt : {Fmt::Regedit5Utf16, Fmt::Regedit4}) {
        kv4::RegistryFileReader reader(RegistryFile(
            {SetupKey("", "C:\\Wurzel"), SetupKey("Software\\Agrar", "C:\\Nein")}, fmt));
        EXPECT_EQ(kv4::LocateDataFolderFromRegistry(reader), "C:\\Wurzel") << FmtName(fmt);
    }
}

TEST(FindSetupKey, DatenThatIsNoStringThrowsTheErrorText) {
    for (const Fmt fmt : kAllFormats) {
        for (const Kind kind : {Kind::Dword, Kind::Binary, Kind::Multi}) {
            kv4::RegistryFileReader reader(
                RegistryFile({{"Software\\Kornavis.INI\\Setup", {{"Daten", kind, ""}}}}, fmt));
            try {
                kv4::LocateDataFolderFromRegistry(reader);
                ADD_FAILURE() << FmtName(fmt) << ": no error";
            } catch (const kv4::RegistryError& e) {
                EXPECT_STREQ(e.what(), "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'Daten'")
                    << FmtName(fmt);
            }
        }
    }
}

// A registry computed on the fly: every key has the subkeys `children`
// (an endless tree), and the value Daten of every key is a number.
class EndlessRegistry : public kv4::RegistryReader {
  public:
    explicit EndlessRegistry(std::vector<std::string> children) : children_(std::move(children)) {}
    bool OpenKey(const std::string&) override {
        ++opens;
        open = true;
        return true;
    }
    std::vector<std::string> GetKeyNames() override {
        return open ? children_ : std::vector<std::string>{};
    }
    std::string ReadString(const std::string& name) override {
        throw kv4::RegistryError(kv4::InvalidDataTypeText(name));
    }
    void CloseKey() override { open = false; }

    bool open = false;
    int opens = 0;

  private:
    std::vector<std::string> children_;
};

TEST(FindSetupKey, AnEndlessTreeEndsAtTheDepthLimitAndTheKeyIsClosedOnError) {
    EndlessRegistry chain({"a"});
    std::string found = "unverändert";
    kv4::FindSetupKey(chain, "", found);
    EXPECT_EQ(found, "unverändert");
    EXPECT_EQ(chain.opens, kv4::kMaxSetupKeySearchDepth + 1);
    EXPECT_FALSE(chain.open);

    // Every key matches: the shallowest, tested last, wins.
    EndlessRegistry setup({"Kornavis.INI\\Setup"});
    std::string top;
    kv4::FindSetupKey(setup, "", top);
    EXPECT_EQ(top, "Kornavis.INI\\Setup");
    EXPECT_THROW(kv4::LocateDataFolderFromRegistry(setup), kv4::RegistryError);
    EXPECT_FALSE(setup.open);
}

TEST(RegistryFile, KeysOnTheWayExistAndAreListedInFileOrder) {
    const std::vector<Key> keys = {
        SetupKey("Software\\Zeta\\Eins", "1"), SetupKey("Software\\Alpha", "2"),
        SetupKey("SOFTWARE\\ZETA\\Zwei", "3"),  // same keys in other letter case
    };
    for (const Fmt fmt : kAllFormats) {
        SCOPED_TRACE(FmtName(fmt));
        kv4::RegistryFileReader reader(RegistryFile(keys, fmt));
        ASSERT_TRUE(reader.OpenKey(""));
        EXPECT_EQ(reader.GetKeyNames(), std::vector<std::string>{"Software"});
        ASSERT_TRUE(reader.OpenKey("software"));
        EXPECT_EQ(reader.GetKeyNames(), (std::vector<std::string>{"Zeta", "Alpha"}));
        ASSERT_TRUE(reader.OpenKey("software\\zeta"));
        EXPECT_EQ(reader.GetKeyNames(), (std::vector<std::string>{"Eins", "Zwei"}));
        EXPECT_EQ(reader.ReadString("Daten"), "");
        ASSERT_TRUE(reader.OpenKey("Software\\Zeta\\Zwei"));
        EXPECT_EQ(reader.ReadString("Daten"), "3");
        reader.CloseKey();
        EXPECT_EQ(reader.ReadString("Daten"), "");
        EXPECT_TRUE(reader.GetKeyNames().empty());
        EXPECT_FALSE(reader.OpenKey("Software\\Fehlt"));
        EXPECT_EQ(reader.ReadString("Daten"), "");
        EXPECT_TRUE(reader.GetKeyNames().empty());
    }
}

struct DetailCase {
    const char* what;
    Bytes file;
    std::string key;
    std::string name;
    std::string expected;
};

TEST(RegistryFile, ReadsTheDetailsOfEachFormat) {
    const std::string v5 = "Windows Registry Editor Version 5.00\r\n\r\n";
    const std::string wine = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1\n\n";
    const std::vector<DetailCase> cases = {
        {"default value", ToBytes(v5 + "[HKEY_CURRENT_USER\\A]\r\n@=\"Standard\"\r\n"), "A", "",
         "Standard"},
        {"a later value replaces an earlier one",
         ToBytes(v5 + "[HKEY_CURRENT_USER\\A]\r\n\"Daten\"=\"1\"\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n"
                      "\"Daten\"=\"2\"\r\n"),
         "A", "Daten", "2"},
        {"deletions are ignored",
         ToBytes(v5 + "[HKEY_CURRENT_USER\\A]\r\n\"Daten\"=\"bleibt\"\r\n\"Daten\"=-\r\n"
                      "[-HKEY_CURRENT_USER\\A]\r\n"),
         "A", "Daten", "bleibt"},
        {"other root keys do not count",
         ToBytes(v5 +
                 "[HKEY_CURRENT_USER\\A]\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"Daten\"=\"Maschine\"\r\n"),
         "A", "Daten", ""},
        {"a UTF-8 file with BOM and a long hex(2) list over several lines",
         ToBytes("\xEF\xBB\xBF" + v5 +
                 "; Kommentar\r\n[HKEY_CURRENT_USER\\A]\r\n"
                 "\"Daten\"=hex(2):43,00,3a,00,5c,00,\\\r\n  e4,00,\\\r\n  00,00\r\n"),
         "A", "Daten", "C:\\\xC3\xA4"},
        {"hex(2) text ends at its first NUL",
         ToBytes(v5 + "[HKEY_CURRENT_USER\\A]\r\n\"Daten\"=hex(2):41,00,00,00,42,00\r\n"), "A",
         "Daten", "A"},
        {"REGEDIT4 keeps hex(2) in the ANSI code page",
         ToBytes("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\"Daten\"=hex(2):43,3a,5c,c4,00\r\n"
                 "\"\xE4\"=\"\xFC\"\r\n"),
         "A", "Daten", "C:\\\xC3\x84"},
        {"REGEDIT4 names and texts in the ANSI code page",
         ToBytes("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\\xC4]\r\n\"\xE4\"=\"\x80\xFC\"\r\n"),
         "\xC3\x84", "\xC3\xA4", "\xE2\x82\xAC\xC3\xBC"},
        {"Wine escapes",
         ToBytes(wine + "[A\\\\B] 1600000000\n#time=1d6\n"
                        "\"Daten\"=\"C:\\\\\\x00c4\\x00e4\\\"\\101\\x1f600\"\n"),
         "A\\B", "Daten",
         "C:\\\xC3\x84\xC3\xA4\"A\xE1\xBD\xA0"
         "0"},
        {"Wine key name escapes", ToBytes(wine + "[H\\x00f6\\\\\\[x\\]] 1\n\"D\"=\"1\"\n"),
         "H\xC3\xB6\\[x]", "D", "1"},
        {"Wine str(2) is an expandable string",
         ToBytes(wine + "[A] 1\n\"Daten\"=str(2):\"%USERPROFILE%\\\\Agrar\"\n"), "A", "Daten",
         "%USERPROFILE%\\Agrar"},
        {"Wine surrogate pairs", ToBytes(wine + "[A] 1\n\"D\"=\"\\xd83d\\xde00|\\xd83d\"\n"), "A",
         "D", "\xF0\x9F\x98\x80|\xEF\xBF\xBD"},
    };
    for (const DetailCase& c : cases) {
        SCOPED_TRACE(c.what);
        kv4::RegistryFileReader reader(c.file);
        ASSERT_TRUE(reader.OpenKey(c.key));
        EXPECT_EQ(reader.ReadString(c.name), c.expected);
    }
}

TEST(RegistryFile, WineMultiStringIsNoString) {
    kv4::RegistryFileReader reader(
        ToBytes("WINE REGISTRY Version 2\n[A] 1\n\"Daten\"=str(7):\"a\\0b\\0\"\n"));
    ASSERT_TRUE(reader.OpenKey("A"));
    EXPECT_THROW(reader.ReadString("Daten"), kv4::RegistryError);
    EXPECT_EQ(reader.format(), kv4::RegistryFileReader::Format::Wine);
}

// ---- Damaged files ------------------------------------------------------------------------

// Runs everything the start-up does with a registry; only the error of a
// non-string value may come out.
std::string Exercise(const Bytes& file) {
    kv4::RegistryFileReader reader(file);
    try {
        return kv4::LocateDataFolderFromRegistry(reader);
    } catch (const kv4::RegistryError&) {
        return "<error>";
    }
}

TEST(RegistryFile, BadLinesAreLeftOutAndTheRestIsRead) {
    const std::vector<std::string> badLines = {
        "\"Daten\"=\"C:\\Offen",      // unterminated quote
        "\"Daten\"=\"C:\\q\"",        // an escape regedit does not write
        "\"Daten\"=\"C:\\",           // backslash at the end
        "\"Daten\"=dword:",           // no digits
        "\"Daten\"=dword:123456789",  // too many digits
        "\"Daten\"=hex:zz",           // no hex
        "\"Daten\"=hex(2:41,00",      // no closing bracket
        "\"Daten\"=hex(2):41,00 x",   // junk after the list
        "\"Daten\"",                  // no '='
        "\"Daten\"=\"a\" b",          // junk after the text
        "@",                          // nothing
        "\"Dat",                      // cut off in the name
        std::string("\"Daten\"=\"\0\"", 11),
        "\"Daten\"=unbekannt:12",
    };
    for (const Fmt fmt : {Fmt::Regedit5Utf16, Fmt::Regedit5Utf8, Fmt::Regedit4}) {
        for (const std::string& bad : badLines) {
            SCOPED_TRACE(std::string(FmtName(fmt)) + ": " + bad);
            const std::string head =
                fmt == Fmt::Regedit4 ? "REGEDIT4" : "Windows Registry Editor Version 5.00";
            const std::string text =
                head + "\r\n\r\n[HKEY_CURRENT_USER\\Software\\Kornavis.INI\\Setup]\r\n" + bad +
                "\r\n\"Daten\"=\"C:\\\\Gut\"\r\n";
            const Bytes file = fmt == Fmt::Regedit5Utf16 ? Utf16LeWithBom(text) : ToBytes(text);
            EXPECT_EQ(Exercise(file), "C:\\Gut");
        }
    }
    // Wine: an unknown escape is the character itself, as Wine reads it.
    EXPECT_EQ(Exercise(ToBytes("WINE REGISTRY Version 2\n[Kornavis.INI\\\\Setup] 1\n"
                               "\"Daten\"=\"C:\\q\\x\"\n\"Daten\"=\"C:\\q\"\n")),
              "C:q");
}

TEST(RegistryFile, DamagedFilesGiveAnEmptyOrPartialRegistry) {
    const std::vector<Key> keys = {
        {"Software\\Agrar\\Kornavis.INI\\Setup",
         {{"Daten", Kind::Sz, "D:\\Agrar\\Daten"},
          {"Zahl", Kind::Dword, ""},
          {"Pfad", Kind::ExpandSz, "%HOME%\\\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F langer Text"}}},
        SetupKey("Software\\Andere", "C:\\Anders")};
    for (const Fmt fmt : kAllFormats) {
        SCOPED_TRACE(FmtName(fmt));
        const Bytes whole = RegistryFile(keys, fmt);
        ASSERT_EQ(Exercise(whole), "D:\\Agrar\\Daten");
        // Every cut of the file.
        for (std::size_t n = 0; n < whole.size(); ++n) {
            const std::string got = Exercise(Bytes(whole.begin(), whole.begin() + n));
            EXPECT_TRUE(got.empty() || got == "D:\\Agrar\\Daten") << "cut at " << n << ": " << got;
        }
        // Random damage.
        std::mt19937 random(1234);
        for (int round = 0; round < 300; ++round) {
            Bytes damaged = whole;
            const int flips = 1 + int(random() % 8);
            for (int k = 0; k < flips; ++k)
                damaged[random() % damaged.size()] = std::uint8_t(random());
            Exercise(damaged);
        }
    }
    for (const std::string& junk :
         {std::string(), std::string("\xFF\xFE"), std::string("\xFF\xFE\x41"),
          std::string("WINE REGISTRY Version 1\n[A] 1\n\"Daten\"=\"x\"\n"),
          std::string("[HKEY_CURRENT_USER\\A]\n\"Daten\"=\"x\"\n"), std::string(5000, '\0'),
          std::string(
              "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Kornavis.INI\\Setup\n"
              "\"Daten\"=\"x\"\n"),
          std::string(
              "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Kornavis.INI\\Setup]\n"
              "\"Daten\"=hex(2):41,00,\\\n"),
          std::string("WINE REGISTRY Version 2\n[Kornavis.INI\\\\Setup\n\"Daten\"=\"x\"\n")}) {
        EXPECT_EQ(Exercise(ToBytes(junk)), "") << junk;
    }
}

std::string Repeated(const std::string& part, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += part;
    return out;
}

// A key name with a broken UTF-16 surrogate is handed out with a
// replacement character, and that name opens the key again.
TEST(RegistryFile, KeyNamesWithBrokenSurrogatesOpenByTheirListedName) {
    Bytes file = Utf16LeWithBom(
        "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Ab");
    file.push_back(0x00);  // a lone high surrogate, U+D800
    file.push_back(0xD8);
    const Bytes rest = Utf16LeWithBom("c\\Kornavis.INI\\Setup]\r\n\"Daten\"=\"C:\\\\K4\"\r\n");
    file.insert(file.end(), rest.begin() + 2, rest.end());
    kv4::RegistryFileReader reader(file);
    ASSERT_TRUE(reader.OpenKey("Software"));
    const std::vector<std::string> names = reader.GetKeyNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], "Ab\uFFFDc");
    EXPECT_TRUE(reader.OpenKey("Software\\" + names[0]));
    EXPECT_EQ(kv4::LocateDataFolderFromRegistry(reader), "C:\\K4");
}

TEST(RegistryFile, DeepNestingIsSearchedUpToTheLimitAndNeverOverflows) {
    const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\";
    const auto file = [&](std::size_t depth) {
        return ToBytes(head + Repeated("k\\", depth) +
                       "Kornavis.INI\\Setup]\r\n\"Daten\"=\"C:\\\\Tief\"\r\n");
    };
    EXPECT_EQ(Exercise(file(400)), "C:\\Tief");
    EXPECT_EQ(Exercise(file(600)), "");     // deeper than a registry can nest: left out
    EXPECT_EQ(Exercise(file(200000)), "");  // and no stack overflow on the way
    const std::string wine = "WINE REGISTRY Version 2\n[" + Repeated("k\\\\", 100000) + "x] 1\n";
    EXPECT_EQ(Exercise(ToBytes(wine)), "");
}

#ifndef _WIN32
// ---- Wine prefixes and the environment -------------------------------------------------

class EnvVar {
  public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~EnvVar() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(RegistryFile, WineDriveLettersFollowTheDosdevicesLinks) {
    kv4test::TempDir prefix;
    const fs::path p = prefix.path();
    fs::create_directories(p / "drive_c" / "Agrar" / "Daten");
    fs::create_directories(p / "woanders" / "Kornavis" / "DATEN");
    fs::create_directories(p / "dosdevices");
    fs::create_directory_symlink("../drive_c", p / "dosdevices" / "c:");
    fs::create_directory_symlink(p / "woanders", p / "dosdevices" / "d:");
    const auto at = [&](const fs::path& x) { return kv4::PathToUtf8(x.lexically_normal()); };

    const Bytes userReg = RegistryFile(
        {SetupKey("Software\\Agrar\\Kornavis.INI\\Setup", "D:\\Kornavis\\Daten")}, Fmt::Wine);
    kv4farm::WriteBytes(p / "user.reg", userReg);
    const auto reader = kv4::RegistryFileReader::FromFile(p / "user.reg");
    ASSERT_EQ(reader->format(), kv4::RegistryFileReader::Format::Wine);
    const struct {
        std::string text;
        std::string expected;
    } cases[] = {
        {"C:\\Agrar\\Daten", at(p / "drive_c/Agrar/Daten")},
        {"c:\\agrar\\daten\\", at(p / "drive_c/Agrar/Daten")},  // letter case as on disk
        {"D:\\Kornavis\\Daten", at(p / "woanders/Kornavis/DATEN")},
        {"D:\\", at(p / "woanders")},
        {"D:", at(p / "woanders")},
        {"C:\\Neu\\Ordner", at(p / "drive_c/Neu/Ordner")},
        {"X:\\Ohne\\Laufwerk", "X:\\Ohne\\Laufwerk"},
        {"\\\\Server\\Freigabe", "\\\\Server\\Freigabe"},
        {"C:Relativ", "C:Relativ"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(reader->TranslateDataPath(c.text), c.expected) << c.text;

    // A regedit export beside the prefix is no Wine registry: no translation.
    kv4farm::WriteBytes(p / "export.reg", RegistryFile({}, Fmt::Regedit5Utf16));
    EXPECT_EQ(kv4::RegistryFileReader::FromFile(p / "export.reg")->TranslateDataPath("C:\\Agrar"),
              "C:\\Agrar");

    // The start-up path: the file named by the environment, translated.
    const EnvVar registry("KV4_REGISTRY", kv4::PathToUtf8(p / "user.reg").c_str());
    EXPECT_EQ(kv4::LocateDataFolder(), at(p / "woanders/Kornavis/DATEN"));
}

TEST(RegistryFile, TheFileComesFromTheEnvironment) {
    {
        const EnvVar a("KV4_REGISTRY", "/tmp/eigene.reg"), b("WINEPREFIX", "/tmp/prefix"),
            c("HOME", "/home/bauer");
        EXPECT_EQ(kv4::RegistryFilePath(), fs::path("/tmp/eigene.reg"));
    }
    {
        const EnvVar a("KV4_REGISTRY", nullptr), b("WINEPREFIX", "/tmp/prefix"),
            c("HOME", "/home/bauer");
        EXPECT_EQ(kv4::RegistryFilePath(), fs::path("/tmp/prefix/user.reg"));
    }
    {
        const EnvVar a("KV4_REGISTRY", ""), b("WINEPREFIX", nullptr), c("HOME", "/home/bauer");
        EXPECT_EQ(kv4::RegistryFilePath(), fs::path("/home/bauer/.wine/user.reg"));
    }
    {
        const EnvVar a("KV4_REGISTRY", nullptr), b("WINEPREFIX", nullptr), c("HOME", nullptr);
        EXPECT_EQ(kv4::RegistryFilePath(), std::nullopt);
        EXPECT_EQ(kv4::LocateDataFolder(), "");
    }
    {
        // A file that cannot be read, or a folder, is an empty registry.
        kv4test::TempDir dir;
        for (const fs::path& file : {dir.path() / "fehlt.reg", dir.path()}) {
            const EnvVar a("KV4_REGISTRY", kv4::PathToUtf8(file).c_str());
            const auto reader = kv4::OpenUserRegistry();
            ASSERT_TRUE(reader->OpenKey(""));
            EXPECT_TRUE(reader->GetKeyNames().empty());
            EXPECT_EQ(kv4::LocateDataFolder(), "");
        }
    }
}

#endif  // _WIN32

}  // namespace

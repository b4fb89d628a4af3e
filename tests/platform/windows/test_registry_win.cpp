// The real registry backend. The tests marked "layout" read the keys that
// registry-layout.sh writes under HKCU\Software\KV4Test of a throwaway Wine
// prefix; CTest runs them there with KV4_REGISTRY_LAYOUT=1. Elsewhere (a
// real user's registry) they skip, since the search walks all of HKCU.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/FileAccess.h"
#include "platform/Registry.h"

namespace {

using kv4::FindSetupKey;
using kv4::OpenUserRegistry;
using kv4::RegistryError;
using kv4::RegistryReader;

const std::string kBase = "Software\\KV4Test";
const std::string kInvalidType = "Ung\xC3\xBCltiger Datentyp f\xC3\xBCr 'Daten'";

bool LayoutPresent() {
    const char* flag = std::getenv("KV4_REGISTRY_LAYOUT");
    return flag != nullptr && std::string(flag) == "1";
}

constexpr const char* kNeedsLayout =
    "needs the keys of registry-layout.sh in a throwaway Wine prefix (KV4_REGISTRY_LAYOUT=1)";

TEST(RegistryWin, MissingKeyOpensNothingAndReadsEmpty) {
    const std::unique_ptr<RegistryReader> reader = OpenUserRegistry();
    ASSERT_TRUE(reader->OpenKey("Software"));
    EXPECT_FALSE(reader->GetKeyNames().empty());

    // A failed opening leaves no key open, not the one before.
    EXPECT_FALSE(reader->OpenKey("Software\\KV4 gibt es nicht\\Kornavis.INI\\Setup"));
    EXPECT_TRUE(reader->GetKeyNames().empty());
    EXPECT_EQ(reader->ReadString("Daten"), "");
    reader->CloseKey();
    reader->CloseKey();  // closing twice is harmless
    EXPECT_EQ(reader->ReadString("Daten"), "");
}

TEST(RegistryWin, EmptyPathIsTheRootKey) {
    const std::unique_ptr<RegistryReader> reader = OpenUserRegistry();
    ASSERT_TRUE(reader->OpenKey(""));
    const std::vector<std::string> names = reader->GetKeyNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "Software"), names.end());
    EXPECT_EQ(reader->ReadString("Daten"), "");
}

TEST(RegistryWin, ListsSubkeysInTheRegistrysOrderAsSpelt) {
    if (!LayoutPresent()) GTEST_SKIP() << kNeedsLayout;
    const std::unique_ptr<RegistryReader> reader = OpenUserRegistry();
    // Beta was written first; the registry lists by name. Letter case of the
    // path does not matter for opening, the names come back as stored.
    ASSERT_TRUE(reader->OpenKey("software\\kv4test\\VERZWEIGT"));
    EXPECT_EQ(reader->GetKeyNames(), (std::vector<std::string>{"Alpha", "Beta"}));
    ASSERT_TRUE(reader->OpenKey(kBase + "\\Verzweigt\\Beta"));
    EXPECT_EQ(reader->GetKeyNames(), (std::vector<std::string>{"Agrar"}));
    ASSERT_TRUE(reader->OpenKey(kBase + "\\Verzweigt\\Beta\\Agrar\\Kornavis.INI\\Setup"));
    EXPECT_TRUE(reader->GetKeyNames().empty());
}

TEST(RegistryWin, SearchesEachBranchAndReadsDaten) {
    if (!LayoutPresent()) GTEST_SKIP() << kNeedsLayout;
    struct Case {
        const char* branch;
        const char* found;  // below kBase; "" for no match
        const char* daten;
    };
    const Case cases[] = {
        // Two matches in different branches: the later one in the walk.
        {"Verzweigt", "\\Verzweigt\\Beta\\Agrar\\Kornavis.INI\\Setup", "D:\\Agrar\\Daten"},
        // The matching key wins over its own matching subkey.
        {"Verschachtelt", "\\Verschachtelt\\Kornavis.INI\\Setup", "C:\\Oben"},
        // An expandable string is taken as stored.
        {"Erweiterbar", "\\Erweiterbar\\Kornavis.INI\\Setup", "%SystemDrive%\\Agrar"},
        {"OhneWert", "\\OhneWert\\Kornavis.INI\\Setup", ""},
        {"Umlaute", "\\Umlaute\\Kornavis.INI\\Setup",
         "C:\\H\xC3\xB6"
         "fe\\\xC3\x84"
         "cker"},
        {"Wurzel", "\\Wurzel\\Kornavis.INI\\Setup", "C:\\"},
        // The search text matches case-sensitively, anywhere in the path.
        {"Schreibweise", "", ""},
        {"Umgeben", "\\Umgeben\\MeinKornavis.INI\\Setup2", "C:\\Umgeben"},
    };
    const std::unique_ptr<RegistryReader> reader = OpenUserRegistry();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.branch);
        std::string found;
        FindSetupKey(*reader, kBase + "\\" + c.branch, found);
        if (*c.found == '\0') {
            EXPECT_EQ(found, "");
            continue;
        }
        EXPECT_EQ(found, kBase + c.found);
        ASSERT_TRUE(reader->OpenKey(found));
        EXPECT_EQ(reader->ReadString(kv4::kDataValueName), c.daten);
        reader->CloseKey();
    }
}

TEST(RegistryWin, NumberInDatenIsAnInvalidDataType) {
    if (!LayoutPresent()) GTEST_SKIP() << kNeedsLayout;
    const std::unique_ptr<RegistryReader> reader = OpenUserRegistry();
    std::string found;
    FindSetupKey(*reader, kBase + "\\Zahl", found);
    ASSERT_EQ(found, kBase + "\\Zahl\\Kornavis.INI\\Setup");
    ASSERT_TRUE(reader->OpenKey(found));
    try {
        reader->ReadString(kv4::kDataValueName);
        ADD_FAILURE() << "a REG_DWORD read as a string";
    } catch (const RegistryError& e) {
        EXPECT_EQ(std::string(e.what()), kInvalidType);
    }
    // The key stays usable: another, missing value still reads empty.
    EXPECT_EQ(reader->ReadString("Fehlt"), "");
}

TEST(RegistryWin, WholeTreeFromTheRootLastMatchWins) {
    if (!LayoutPresent()) GTEST_SKIP() << kNeedsLayout;
    const std::unique_ptr<RegistryReader> reader = OpenUserRegistry();
    std::string found;
    FindSetupKey(*reader, "", found);
    EXPECT_EQ(found, kBase + "\\Zuletzt\\Kornavis.INI\\Setup");

    // The start-up step on the user's registry, and the folder as the
    // register uses it.
    const std::string folder = kv4::LocateDataFolder();
    EXPECT_EQ(folder, "E:\\Kornavis\\Daten");
    EXPECT_EQ(kv4::WithTrailingSeparator(folder), "E:\\Kornavis\\Daten\\");
}

}  // namespace

// Paths with Windows semantics: backslash folders, drive roots, a file system
// that ignores letter case, and UTF-8 folder names handed to the wide API.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/FieldRegister.h"
#include "data/FileAccess.h"
#include "farmwriter/RecordWriter.h"
#include "support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using kv4::FindDataFile;
using kv4::PathFromUtf8;
using kv4::PathToUtf8;
using kv4::ReadFileBytes;
using kv4::WithTrailingSeparator;

TEST(WithTrailingSeparatorWin, AppendsOneBackslashUnlessThereIsOne) {
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"", ""},
        {"C:\\Daten", "C:\\Daten\\"},
        {"C:\\Daten\\", "C:\\Daten\\"},
        {"C:\\", "C:\\"},
        {"D:\\Agrar\\Daten", "D:\\Agrar\\Daten\\"},
        {"\\\\server\\freigabe\\Daten", "\\\\server\\freigabe\\Daten\\"},
        // The last byte of a UTF-8 umlaut is no backslash.
        {"C:\\H\xC3\xB6"
         "fe\\\xC3\x84"
         "cker",
         "C:\\H\xC3\xB6"
         "fe\\\xC3\x84"
         "cker\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithTrailingSeparator(c.path), c.expected) << "path: " << c.path;
    }
}

TEST(PathFromUtf8Win, GivesTheWideNameWithUmlauts) {
    const std::string utf8 =
        "C:\\H\xC3\xB6"
        "fe\\\xC3\x84"
        "cker\\SCHL2018.DAT";
    const fs::path path = PathFromUtf8(utf8);
    EXPECT_EQ(path.native(), L"C:\\H\u00F6fe\\\u00C4cker\\SCHL2018.DAT");
    EXPECT_EQ(PathToUtf8(path), utf8);
    EXPECT_EQ(PathToUtf8(path.filename()), "SCHL2018.DAT");
    EXPECT_EQ(PathToUtf8(path.parent_path().filename()),
              "\xC3\x84"
              "cker");
}

std::vector<std::uint8_t> OneField(const std::string& name) {
    kv4farm::FieldSpec field;
    field.fieldNo = 7;
    field.name = name;
    field.area = 2.5;
    field.crop = "Winterweizen";
    return kv4farm::EncodeFields({field});
}

TEST(FindDataFileWin, FindsAFileWhateverTheLetterCaseOfItsName) {
    kv4test::TempDir dir;
    const std::vector<std::uint8_t> bytes = OneField("Langer Acker");
    kv4farm::WriteBytes(dir.path() / L"schl2018.dat", bytes);
    fs::create_directory(dir.path() / L"ARB2018.DAT");  // a folder is no data file
    const std::string folder = PathToUtf8(dir.path());

    for (const char* name : {"SCHL2018.DAT", "schl2018.dat", "Schl2018.Dat"}) {
        const auto found = FindDataFile(folder, name);
        ASSERT_TRUE(found.has_value()) << name;
        const kv4::FileContent content = ReadFileBytes(*found);
        EXPECT_EQ(content.status, kv4::FileContent::Status::Ok) << name;
        EXPECT_EQ(content.bytes, bytes) << name;
    }
    EXPECT_FALSE(FindDataFile(folder, "ARB2018.DAT").has_value());
    EXPECT_EQ(ReadFileBytes(dir.path() / L"ARB2018.DAT").status,
              kv4::FileContent::Status::NotOpenable);
    EXPECT_FALSE(FindDataFile(folder, "SCHL2017.DAT").has_value());
    EXPECT_FALSE(FindDataFile(folder, "SCHL2018.DA").has_value());
}

TEST(FindDataFileWin, OpensFilesBelowAFolderWithUmlauts) {
    kv4test::TempDir dir;
    const fs::path folder = dir.path() /
                            PathFromUtf8(
                                "H\xC3\xB6"
                                "fe") /
                            PathFromUtf8(
                                "\xC3\x84"
                                "cker");
    fs::create_directories(folder);
    // A field name with an umlaut as well: Windows-1252 in the record.
    kv4farm::WriteBytes(folder / L"schl2018.dat", OneField("G\xC3\xA4nseweide"));

    const std::string folderUtf8 = PathToUtf8(folder);
    ASSERT_NE(folderUtf8.find("\\H\xC3\xB6"
                              "fe\\\xC3\x84"
                              "cker"),
              std::string::npos)
        << folderUtf8;
    ASSERT_TRUE(FindDataFile(folderUtf8, "SCHL2018.DAT").has_value());

    // The register puts the data folder, with its backslash, before the name.
    kv4::FieldRegister register2018;
    EXPECT_TRUE(register2018.LoadYear(2018, WithTrailingSeparator(folderUtf8)).empty());
    ASSERT_EQ(register2018.FieldCount(), 1);
    EXPECT_EQ(register2018.Fields()[0].Name(), "G\xC3\xA4nseweide");
    EXPECT_EQ(register2018.WorkCount(), 0);
}

TEST(ReadFileBytesWin, ReadsAFileThatAnotherProgramHoldsOpenForWriting) {
    kv4test::TempDir dir;
    const std::vector<std::uint8_t> bytes = OneField("Hofstelle");
    const fs::path file = dir.path() / L"SCHL2018.DAT";
    kv4farm::WriteBytes(file, bytes);

    // As the farm product does while it runs: open for writing, sharing both.
    HANDLE writer =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const kv4::FileContent content = ReadFileBytes(file);
    CloseHandle(writer);

    EXPECT_EQ(content.status, kv4::FileContent::Status::Ok);
    EXPECT_EQ(content.bytes, bytes);
}

}  // namespace

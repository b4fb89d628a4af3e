// Output files that appear whole or not at all.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "ExportTestFiles.h"
#include "export/OutputFiles.h"
#include "farmwriter/RecordWriter.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using kv4exporttest::Entries;
using kv4exporttest::ReadText;
using kv4exporttest::WriteText;

namespace {

kv4::OutputJob TextJob(const fs::path& target, const std::string& text) {
    return {target, [text](const fs::path& file, std::string&) {
                std::ofstream out(file, std::ios::binary | std::ios::trunc);
                out << text;
                return bool(out);
            }};
}

kv4::OutputJob FailingJob(const fs::path& target) {
    return {target, [](const fs::path& file, std::string& error) {
                std::ofstream(file, std::ios::binary) << "half";  // a partial file
                error = "Testfehler";
                return false;
            }};
}

}  // namespace

TEST(Outputs, AllOrNothing) {
    kv4test::TempDir dir;
    const fs::path a = dir.path() / "a.csv";
    const fs::path b = dir.path() / "b.csv";
    WriteText(b, "alt");

    // The second one fails: the first target does not appear, the old b stays.
    std::vector<kv4::OutputJob> jobs = {TextJob(a, "neu a"), FailingJob(b)};
    auto problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("b.csv\" kann nicht geschrieben werden: Testfehler"), std::string::npos)
        << *problem;
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"b.csv"}));
    EXPECT_EQ(ReadText(b), "alt");

    // A missing folder for the last one: same.
    jobs = {TextJob(a, "neu a"), TextJob(dir.path() / "fehlt" / "c.csv", "c")};
    problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("c.csv\" kann nicht geschrieben werden"), std::string::npos);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"b.csv"}));

    // A folder in the target's place.
    fs::create_directory(dir.path() / "ordner");
    jobs = {TextJob(a, "neu a"), TextJob(dir.path() / "ordner", "x")};
    problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("ist ein Ordner"), std::string::npos);
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"b.csv", "ordner"}));

    // All sound: both in place, the old one replaced, no temporary left.
    jobs = {TextJob(a, "neu a"), TextJob(b, "neu b")};
    EXPECT_FALSE(kv4::WriteOutputs(jobs));
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"a.csv", "b.csv", "ordner"}));
    EXPECT_EQ(ReadText(a), "neu a");
    EXPECT_EQ(ReadText(b), "neu b");
}

// The last step fails: while the outputs are written a folder takes the
// place of the first target, which its rename cannot replace. Nothing is
// renamed, no temporary file stays, and the failure is reported.
TEST(Outputs, RenameThatCannotReplaceItsTargetChangesNothing) {
    kv4test::TempDir dir;
    const fs::path a = dir.path() / "a.csv";
    const fs::path b = dir.path() / "b.csv";
    WriteText(b, "alt");
    const std::vector<kv4::OutputJob> jobs = {TextJob(a, "neu a"),
                                              {b, [&a](const fs::path& file, std::string& error) {
                                                   fs::create_directory(a);
                                                   WriteText(a / "belegt", "");
                                                   return kv4::WriteTextFile(file, "neu b", error);
                                               }}};
    const auto problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_NE(problem->find("a.csv\" kann nicht geschrieben werden"), std::string::npos)
        << *problem;
    EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"a.csv", "b.csv"}));
    EXPECT_EQ(ReadText(b), "alt");
}

TEST(Outputs, WriteProtectedTargetStaysAsItIs) {
    kv4test::TempDir dir;
    const fs::path target = dir.path() / "schreibgeschuetzt.csv";
    WriteText(target, "alt");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    if (std::fstream(target, std::ios::in | std::ios::out).is_open())
        GTEST_SKIP() << "running with rights that ignore write protection";
    const std::vector<kv4::OutputJob> jobs = {TextJob(target, "neu")};
    const auto problem = kv4::WriteOutputs(jobs);
    ASSERT_TRUE(problem);
    EXPECT_EQ(ReadText(target), "alt");
    EXPECT_EQ(Entries(dir.path()).size(), 1u);
}

TEST(Outputs, PathIsInside) {
    kv4test::TempDir dir;
    const fs::path data = dir.path() / "Daten";
    fs::create_directory(data);
    struct Case {
        fs::path file;
        bool inside;
    };
    const std::vector<Case> cases = {
        {data / "n.csv", true},
        {data / "neu" / "n.csv", true},
        {dir.path() / "Daten" / ".." / "Daten" / "x", true},
        {dir.path() / "n.csv", false},
        {dir.path() / "Daten2" / "n.csv", false},
        {dir.path() / "Date", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kv4::PathIsInside(c.file, data), c.inside) << c.file;
        EXPECT_EQ(kv4::PathIsInside(c.file, data.string() + "/"), c.inside) << c.file;
    }
    // Through a link to the folder.
    std::error_code ec;
    fs::create_directory_symlink(data, dir.path() / "link", ec);
    if (!ec) {
        EXPECT_TRUE(kv4::PathIsInside(dir.path() / "link" / "n.csv", data));
    }
}

// A data folder that does not exist (not yet, or no longer) still holds what
// would lie in it, also where the part of its path that exists is reached
// through a link.
TEST(Outputs, PathIsInsideAMissingFolder) {
    kv4test::TempDir dir;
    const fs::path missing = dir.path() / "fehlt" / "Daten";
    const std::vector<std::pair<fs::path, bool>> cases = {
        {missing / "n.csv", true},
        {missing / "neu" / "n.csv", true},
        {dir.path() / "fehlt" / "x" / ".." / "Daten" / "n.csv", true},
        {dir.path() / "fehlt" / "Daten2" / "n.csv", false},
        {dir.path() / "fehlt" / "n.csv", false},
    };
    for (const auto& [file, inside] : cases) {
        EXPECT_EQ(kv4::PathIsInside(file, missing), inside) << file;
        EXPECT_EQ(kv4::PathIsInside(file, missing.string() + "/"), inside) << file;
    }
    std::error_code ec;
    fs::create_directory(dir.path() / "echt");
    fs::create_directory_symlink(dir.path() / "echt", dir.path() / "link", ec);
    if (!ec) {
        EXPECT_TRUE(kv4::PathIsInside(dir.path() / "echt" / "Daten" / "n.csv",
                                      dir.path() / "link" / "Daten"));
        EXPECT_TRUE(kv4::PathIsInside(dir.path() / "link" / "Daten" / "n.csv",
                                      dir.path() / "echt" / "Daten"));
    }
}

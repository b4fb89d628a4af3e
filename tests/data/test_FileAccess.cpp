// Paths and the German reasons of failed file operations.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "data/FileAccess.h"

namespace {

TEST(Records, WithTrailingSeparatorAppendsThePlatformSeparatorOnce) {
#ifdef _WIN32
    const std::string sep = "\\";
#else
    const std::string sep = "/";
#endif
    EXPECT_EQ(kv4::WithTrailingSeparator(""), "");
    EXPECT_EQ(kv4::WithTrailingSeparator("daten"), "daten" + sep);
    EXPECT_EQ(kv4::WithTrailingSeparator("daten" + sep), "daten" + sep);
    EXPECT_EQ(kv4::WithTrailingSeparator(sep), sep);
}

}  // namespace

// What the user reads after a failed file operation is German, whichever
// error category the platform reports it in.
TEST(FileReasons, CommonReasonsAreGerman) {
    using std::errc;
    EXPECT_EQ(kv4::ReasonText(std::make_error_code(errc::permission_denied)), "Zugriff verweigert");
    EXPECT_EQ(kv4::ReasonText(std::make_error_code(errc::read_only_file_system)),
              "Das Dateisystem ist schreibgeschützt");
    EXPECT_EQ(kv4::ReasonText(std::error_code(ENOENT, std::system_category())),
              "Datei oder Ordner nicht gefunden");
    // Without a German text the system's own wording stays.
    const std::error_code other = std::make_error_code(errc::protocol_error);
    EXPECT_EQ(kv4::ReasonText(other), other.message());
}

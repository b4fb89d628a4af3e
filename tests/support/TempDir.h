#pragma once
#include <filesystem>

namespace kv4test {

// A fresh empty folder below the system's temporary folder (or `base`),
// removed by the destructor.
class TempDir {
  public:
    TempDir();
    explicit TempDir(const std::filesystem::path& base);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace kv4test

#pragma once
// A fresh temporary folder per test, removed with everything in it at the
// end. While it lives, the current directory can be moved into it and is
// put back afterwards.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tlvx::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }

    // Writes raw bytes, creating the folders on the way.
    std::filesystem::path write(std::string_view relative, std::string_view bytes) const;
    static std::string read(const std::filesystem::path& file);

private:
    std::filesystem::path path_;
};

// The names in `folder`, sorted.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

// Changes the current directory for the life of the object.
class CurrentDirGuard {
public:
    explicit CurrentDirGuard(const std::filesystem::path& dir);
    ~CurrentDirGuard();

private:
    std::filesystem::path previous_;
};

}  // namespace tlvx::test

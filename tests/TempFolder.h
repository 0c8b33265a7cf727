// TempFolder: a fresh folder under $TMPDIR for one test, removed with everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillmere::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The path of a name inside the folder, as the text the program works with.
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// Small file helpers for the tests that work on real folders.
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
// The names in a folder, sorted, hidden ones included.
std::vector<std::string> ListFolder(const std::string& path);

}  // namespace quillmere::test

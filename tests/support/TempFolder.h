// TempFolder: a fresh folder under $TMPDIR (%TEMP% on Windows) for one test, removed with
// everything in it afterwards.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillmere::test {

// The program's paths are UTF-8; std::filesystem's narrow strings are in the ANSI code page on
// Windows, so every crossing goes through these two.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8(const std::filesystem::path& path);

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The path of a name inside the folder, as the text the program works with. A "/" in the
    // name stays as it is; tests that compare paths with the program's texts use Native().
    std::string operator/(const std::string& name) const { return Utf8(m_path) + kSeparator + name; }

private:
#ifdef _WIN32
    static constexpr char kSeparator = '\\';
#else
    static constexpr char kSeparator = '/';
#endif
    std::filesystem::path m_path;
};

// Small file helpers for the tests that work on real folders.
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
// Gives a file Windows' hidden attribute; on POSIX systems the leading "." of its name does that.
void MarkHidden(const std::string& path);
// The names in a folder, sorted, hidden ones included, but for the record folder that every run
// leaves in its stamp folder: the tests of records look for that one themselves.
inline constexpr char kRunRecordFolder[] = ".quillmere";
std::vector<std::string> ListFolder(const std::string& path);

}  // namespace quillmere::test

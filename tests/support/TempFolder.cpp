#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <sys/stat.h>
#endif

namespace quillmere::test {

namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TempFolder::TempFolder() {
#ifdef _WIN32
    std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        const fs::path candidate = fs::temp_directory_path() / ("quillmere-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) m_path = candidate;
    }
    if (m_path.empty()) throw std::runtime_error("no temporary folder could be created");
#else
    std::string pattern = (fs::temp_directory_path() / "quillmere-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::system_error(errno, std::generic_category(), "mkdtemp");
    m_path = pattern;
#endif
}

TempFolder::~TempFolder() {
    // Tests take permissions away (or make files read-only) to provoke failures; give them back
    // so everything can go.
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(m_path, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
#ifdef _WIN32
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
#else
        if (it->is_directory(error) && !it->is_symlink(error)) ::chmod(it->path().c_str(), 0700);
#endif
    }
    fs::remove_all(m_path, error);
}

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(FsPath(path), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void MarkHidden([[maybe_unused]] const std::string& path) {
#ifdef _WIN32
    ASSERT_TRUE(::SetFileAttributesW(FsPath(path).c_str(), FILE_ATTRIBUTE_HIDDEN)) << "cannot hide " << path;
#endif
}

std::vector<std::string> ListFolder(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(FsPath(path))) {
        std::string name = Utf8(entry.path().filename());
        if (name != kRunRecordFolder) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quillmere::test

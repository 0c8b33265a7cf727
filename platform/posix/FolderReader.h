// FolderReader: one open folder of the source or destination, read entry by entry, and what an
// entry is once links are followed. Shared by the search and the copy engine.
#pragma once

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <memory>
#include <string>
#include <string_view>

#include "platform/posix/PosixError.h"

namespace quillmere::posix {

std::string InFolder(const std::string& folder, const std::string& name);

enum class Kind { Missing, Regular, Folder, Other };

Kind KindOfMode(mode_t mode);

struct Entry {
    std::string name;
    unsigned char type;  // d_type; DT_LNK and DT_UNKNOWN need a stat to be told apart
};

using EntryList = std::deque<Entry>;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

class FolderReader {
public:
    // Answers false when the folder does not exist (errno then says how); throws for every
    // other failure.
    [[nodiscard]] bool Open(const std::string& path);
    // Opens the folder behind a handle already held, for reading from its start; path names it in
    // failures. Answers false, errno saying why, when it cannot be read.
    [[nodiscard]] bool OpenAt(int folderFd, const std::string& path);

    int Fd() const { return ::dirfd(m_dir.get()); }

    // What the named entry is once links are followed. A dangling link or a link loop names no
    // file and is Missing, so a search passes over it like any other entry that is not a file.
    // Any other failure (a link into a folder that may not be searched, an I/O error) throws:
    // passing over such an entry would report a copy as complete without a file it should hold.
    Kind KindAt(const std::string& name) const;
    Kind KindOf(const Entry& entry) const;

    // Calls visit(name, d_type) for every entry but "." and "..", in the order the folder
    // keeps them; nothing is gathered, so a folder of any size is read in constant memory.
    template <typename Visit>
    void ForEach(Visit&& visit) {
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(m_dir.get());
            if (!entry) break;
            const std::string_view name(entry->d_name);
            if (name == "." || name == "..") continue;
            visit(name, entry->d_type);
        }
        if (errno != 0) throw PosixError::ForPath(m_path, errno);
    }

    // The entries whose name passes the filter, in name order. A deque grows without moving what
    // it holds, so a folder of a hundred thousand files never needs room for its list twice over.
    template <typename Filter>
    EntryList Entries(Filter&& accept) {
        EntryList entries;
        ForEach([&](std::string_view name, unsigned char type) {
            if (accept(name)) entries.push_back({std::string(name), type});
        });
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return entries;
    }

private:
    [[nodiscard]] bool OpenAt(int folderFd, const char* name, const std::string& path);

    std::unique_ptr<DIR, DirCloser> m_dir;
    std::string m_path;
};

}  // namespace quillmere::posix

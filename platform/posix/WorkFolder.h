// WorkFolder: the hidden folder inside a stamp folder where one run writes the copies that need
// a temporary name, so that every temporary file stands where only this program puts anything.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/posix/FileDescriptor.h"

namespace quillmere::posix {

// A backup copies regular files only, never folders, so a folder in a stamp folder can only be
// this program's own: the clean-up of killed runs looks for temporary files inside work folders
// and nowhere else, and a file named like a temporary file that stands in the stamp folder
// itself (a backed-up file) is never touched.
//
// The folder is made on first need (mode 0700) and holds an exclusive flock(2) while the run
// lives, so another run's clean-up leaves it alone; it is removed when the run ends, however it
// ends, once its temporary files are gone.
class WorkFolder {
public:
    explicit WorkFolder(int folderFd) : m_folderFd(folderFd) {}
    ~WorkFolder() { Remove(); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Answers 0 and the folder's descriptor in fd, making the folder first if need be, or the
    // errno of its creation.
    [[nodiscard]] int Open(int& fd);
    // Gives the folder up (it was removed from under the run, where folders cannot be locked),
    // so that the next Open makes another.
    void Remove();

    static bool IsWorkName(std::string_view name);

private:
    int m_folderFd;
    FileDescriptor m_fd;
    std::string m_name;
};

}  // namespace quillmere::posix

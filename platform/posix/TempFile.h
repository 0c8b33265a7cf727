// TempFile: a copy in progress under a hidden name beside its final name.
#pragma once

#include <string>

#include "platform/posix/CopyData.h"
#include "platform/posix/FileDescriptor.h"

namespace quillmere::posix {

// A copy in progress: a hidden file in the destination folder that becomes the final file only
// by Commit(). Until then it is removed again however the copy ends.
//
// The file holds an exclusive flock(2) from its creation until it is closed after Commit(): a
// later run that finds such a file left behind (by a process that was killed, or a machine that
// lost power) removes it only when it can take the lock itself, that is when no live process
// writes it.
class TempFile {
public:
    TempFile(int folderFd, const CopyPaths& paths);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!m_name.empty()) ::unlinkat(m_folderFd, m_name.c_str(), 0);
    }

    int Fd() const { return m_fd.Get(); }
    int Close() { return m_fd.Close(); }
    const std::string& FinalName() const { return m_finalName; }

    // Moves the finished file to its final name: over a file standing there when replace is set,
    // otherwise only where the name is free. Answers 0 or the errno of the rename.
    int Commit(bool replace);

    // Whether the name is one of those this program gives its temporary files.
    static bool IsTempName(const std::string& name);

private:
    int m_folderFd;
    FileDescriptor m_fd;
    std::string m_name;
    std::string m_finalName;
};

}  // namespace quillmere::posix

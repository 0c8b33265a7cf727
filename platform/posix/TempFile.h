// TempFile: a copy in progress under a hidden name beside its final name.
#pragma once

#include <string>

#include "platform/posix/CopyData.h"
#include "platform/posix/FileDescriptor.h"

namespace quillmere::posix {

// A copy in progress: a hidden file in the destination folder that becomes the final file only
// by Commit(). Until then it is removed again however the copy ends.
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

    // Moves the finished file over its final name. Answers 0 or the errno of the rename.
    int Commit(bool overwrite);

private:
    int m_folderFd;
    FileDescriptor m_fd;
    std::string m_name;
    std::string m_finalName;
};

}  // namespace quillmere::posix

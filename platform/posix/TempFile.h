// TempFile: a copy in progress beside its final name, unnamed where the file system allows it.
#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <string>

#include "platform/posix/CopyData.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/WorkFolder.h"

namespace quillmere::posix {

// A copy in progress that becomes the final file only by Commit(). Until then it is gone again
// however the copy ends.
//
// Where the file system can create a file without a name (O_TMPFILE), the copy has none until
// Commit() links it in: creating it costs no directory work, and should the process be killed
// the file system frees it by itself. linkat(2) never replaces a name, so an unnamed copy can
// only take a name that is free.
//
// Elsewhere (FAT and exFAT, network shares), and for a copy that must replace a file, the copy
// is a file of the run's work folder inside the stamp folder, renamed into place by Commit().
// That file holds an exclusive flock(2) from its creation until it is closed after Commit(): a
// later run that finds it left behind (by a process that was killed, or a machine that lost
// power) removes it only when it can take the lock itself, that is when no live process writes
// it.
class TempFile {
public:
    // Makes the copy unnamed when unnamed is set and the file system allows it, with the
    // permission bits given (less the umask); a file system that refuses clears unnamed, so that
    // later copies do not ask again. A named temporary file is private to the user until it is
    // whole.
    TempFile(int folderFd, WorkFolder& work, const CopyPaths& paths, bool& unnamed, mode_t mode);
    // An existing file of the same file system (the unchanged copy of an earlier backup), open
    // for reading: Commit() gives it the final name as another name of that file, as it links an
    // unnamed copy in.
    TempFile(int folderFd, FileDescriptor linked, std::string finalName)
        : m_folderFd(folderFd), m_fd(std::move(linked)), m_unnamed(true), m_finalName(std::move(finalName)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!m_name.empty()) ::unlinkat(m_workFd, m_name.c_str(), 0);
    }

    int Fd() const { return m_fd.Get(); }
    bool Unnamed() const { return m_unnamed; }
    [[nodiscard]] int Close() { return m_fd.Close(); }
    const std::string& FinalName() const { return m_finalName; }

    // Gives the finished file its final name: over a file standing there when replace is set
    // (never for an unnamed copy), otherwise only where the name is free. Answers 0 or the errno
    // of the link or rename.
    [[nodiscard]] int Commit(bool replace);

    // Whether the name is one of those this program gives its temporary files.
    static bool IsTempName(const std::string& name);

private:
    int m_folderFd;
    int m_workFd = -1;  // the work folder holding the named file
    FileDescriptor m_fd;
    bool m_unnamed = false;
    std::string m_name;  // the name in the work folder while there is one
    std::string m_finalName;
};

}  // namespace quillmere::posix

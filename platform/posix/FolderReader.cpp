#include "platform/posix/FolderReader.h"

#include <fcntl.h>
#include <unistd.h>

namespace quillmere::posix {

std::string InFolder(const std::string& folder, const std::string& name) {
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

Kind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return Kind::Regular;
    if (S_ISDIR(mode)) return Kind::Folder;
    return Kind::Other;
}

bool FolderReader::Open(const std::string& path) {
    if (OpenAt(AT_FDCWD, path.c_str(), path)) return true;
    if (PosixError::IsNotFound(errno)) return false;
    throw PosixError::ForPath(path, errno);
}

bool FolderReader::OpenAt(int folderFd, const std::string& path) {
    return OpenAt(folderFd, ".", path);
}

// A folder read twice needs a descriptor of its own: the reading position belongs to the open
// file, which every descriptor dup'ed from it shares.
bool FolderReader::OpenAt(int folderFd, const char* name, const std::string& path) {
    const int fd = ::openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    m_dir.reset(::fdopendir(fd));
    if (!m_dir) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    m_path = path;
    return true;
}

Kind FolderReader::KindAt(const std::string& name) const {
    struct stat st {};
    if (::fstatat(Fd(), name.c_str(), &st, 0) == 0) return KindOfMode(st.st_mode);
    if (PosixError::IsNotFound(errno) || errno == ELOOP) return Kind::Missing;
    throw PosixError::ForPath(InFolder(m_path, name), errno);
}

Kind FolderReader::KindOf(const Entry& entry) const {
    switch (entry.type) {
        case DT_REG: return Kind::Regular;
        case DT_DIR: return Kind::Folder;
        case DT_LNK:
        case DT_UNKNOWN: return KindAt(entry.name);
        default: return Kind::Other;
    }
}

}  // namespace quillmere::posix

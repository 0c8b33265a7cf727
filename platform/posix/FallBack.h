// FallBack: the errors that say a system call cannot do its work here at all (an old kernel, a
// file system without the feature), so that the copy takes a slower way that can, rather than an
// error of one file that would meet the slower way too and is reported.
// copy_file_range(2) needs no such list: the read/write loop takes over after any error of it, so
// that a real failure is met again there and told against the file that caused it (see CopyData).
#pragma once

#include <cerrno>

namespace quillmere::posix {

// FICLONE: the two folders cannot share blocks (another file system, or one without reflinks).
// Any other error may be one file's alone.
constexpr bool IsCloneUnsupported(int error) {
    return error == EOPNOTSUPP || error == ENOTTY || error == EXDEV || error == ENOSYS;
}

// lseek(SEEK_DATA) on the first extent: the file system cannot tell where a file's holes are.
constexpr bool IsHoleSeekUnsupported(int error) {
    return error == EINVAL || error == EOPNOTSUPP;
}

// O_TMPFILE: the file system (or the kernel) cannot make unnamed files; no room or no
// permission would meet a named file too.
constexpr bool IsUnnamedUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL || error == ENOSYS;
}

// linkat(AT_EMPTY_PATH): kernels before 6.10 allow it only with a capability a user does not
// have; the descriptor's entry under /proc links the same file.
constexpr bool IsEmptyPathLinkRefused(int error) {
    return error == ENOENT || error == EPERM || error == EINVAL;
}

// renameat2(RENAME_NOREPLACE): the file system cannot refuse a replacement itself.
constexpr bool IsNoReplaceUnsupported(int error) {
    return error == EINVAL || error == ENOSYS;
}

// futimens: the file system keeps no times that may be set (some FUSE file systems).
constexpr bool IsTimeSettingUnsupported(int error) {
    return error == ENOSYS || error == EOPNOTSUPP;
}

// fsync of a folder: the file system cannot sync folders; that is no failure of ours.
constexpr bool IsFolderSyncUnsupported(int error) {
    return error == EINVAL;
}

// fgetxattr of the folder's default ACL: the folder has none, or the file system keeps none.
constexpr bool IsAclAbsent(int error) {
    return error == ENODATA || error == ENOTSUP;
}

}  // namespace quillmere::posix

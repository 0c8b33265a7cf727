// Which file system holds a folder, on Linux. Its UUID is taken from the file system itself where
// the kernel gives it (ext4, XFS, Btrfs on Linux 6.8 and later), else from the device links that
// udev makes (/dev/disk/by-uuid, also for FAT and exFAT sticks); a file system without either
// (tmpfs on older kernels, a network share, a FUSE mount where udev does not run) is named by its
// device and mount point from /proc/self/mountinfo. Only the last of these depends on where the
// file system is mounted, and none on the device's number, which changes as sticks come and go.
#include <dirent.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "platform/SystemFilesNative.h"
#include "platform/posix/FileDescriptor.h"
#include "platform/posix/MountTable.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/PosixIo.h"

namespace quillmere::SystemFiles::Native {
namespace {

constexpr char kMountTable[] = "/proc/self/mountinfo";
constexpr char kUuidLinks[] = "/dev/disk/by-uuid";

// FS_IOC_GETFSUUID of Linux 6.8, declared here as the system's headers may be older than its
// kernel; an older kernel answers ENOTTY, as does a file system without a UUID.
struct FileSystemUuid {
    std::uint8_t length;
    std::uint8_t bytes[16];
};
constexpr unsigned long kGetFileSystemUuid = _IOR(0x15, 0, FileSystemUuid);

std::optional<std::string> OwnUuid(const std::string& folder) {
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    FileSystemUuid uuid{};
    if (!fd.IsOpen() || ::ioctl(fd.Get(), kGetFileSystemUuid, &uuid) != 0) return std::nullopt;
    if (uuid.length == 0 || uuid.length > sizeof uuid.bytes) return std::nullopt;
    bool allZero = true;
    std::string text;
    for (std::size_t i = 0; i < uuid.length; ++i) {
        static constexpr char kHex[] = "0123456789abcdef";
        if (uuid.length == 16 && (i == 4 || i == 6 || i == 8 || i == 10)) text += '-';
        text += kHex[uuid.bytes[i] >> 4];
        text += kHex[uuid.bytes[i] & 15];
        allZero = allZero && uuid.bytes[i] == 0;
    }
    if (allZero) return std::nullopt;
    return text;
}

// The name of the link in /dev/disk/by-uuid that leads to the block device.
std::optional<std::string> LinkedUuid(dev_t device) {
    DIR* links = ::opendir(kUuidLinks);
    if (!links) return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(links)) {
        struct stat target {};
        if (entry->d_name[0] == '.' || ::fstatat(::dirfd(links), entry->d_name, &target, 0) != 0) continue;
        if (S_ISBLK(target.st_mode) && target.st_rdev == device) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(links);
    return found;
}

std::string ReadMountTable() {
    const FileDescriptor fd(::open(kMountTable, O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) throw PosixError::ForPath(kMountTable, errno);
    std::string text;
    if (const int error = posix::ReadAll(fd.Get(), text)) throw PosixError::ForPath(kMountTable, error);
    return text;
}

}  // namespace

std::string FolderIdentity(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) throw PosixError::ForPath(folder, errno);
    if (!S_ISDIR(status.st_mode)) throw PosixError::ForPath(folder, ENOTDIR);
    if (auto uuid = OwnUuid(folder)) return "UUID=" + *uuid;

    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (!resolved) throw PosixError::ForPath(folder, errno);
    const std::string path = resolved;
    std::free(resolved);
    const std::vector<posix::Mount> mounts = posix::ParseMountTable(ReadMountTable());
    const posix::Mount* mount = posix::HoldingMount(mounts, major(status.st_dev), minor(status.st_dev), path);

    // A file system on a block device has that device's number, except where FUSE or Btrfs give
    // it one of their own: the mount's source names the device then.
    dev_t device = status.st_dev;
    struct stat source {};
    if (mount && mount->source.starts_with("/dev/") && ::stat(mount->source.c_str(), &source) == 0 &&
        S_ISBLK(source.st_mode)) {
        device = source.st_rdev;
    }
    if (auto uuid = LinkedUuid(device)) return "UUID=" + *uuid;
    if (!mount) throw PosixError::ForPath(folder, std::string("マウント表 (") + kMountTable + ") にありません");
    return mount->source + " on " + mount->mountPoint;
}

}  // namespace quillmere::SystemFiles::Native

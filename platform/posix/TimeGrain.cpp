#include "platform/posix/TimeGrain.h"

#include <sys/statfs.h>

namespace quillmere::posix {

ChangingFile::TimeGrain TimeGrainOf(int folderFd) {
    using ChangingFile::kCoarse;
    constexpr __fsword_t kMsdos = 0x4d44, kExfat = 0x2011BAB0, kFuse = 0x65735546, kNfs = 0x6969,
                         kCifs = static_cast<__fsword_t>(0xFF534D42), kSmb2 = static_cast<__fsword_t>(0xFE534D42),
                         kSmb = 0x517B, kV9fs = 0x01021997, kVboxsf = 0x786f4256, kCeph = 0x00c36400, kHfs = 0x4244;
    struct statfs info {};
    if (::fstatfs(folderFd, &info) != 0) return kCoarse;
    switch (info.f_type) {
        case kMsdos:
        case kExfat:
        case kFuse:
        case kNfs:
        case kCifs:
        case kSmb2:
        case kSmb:
        case kV9fs:
        case kVboxsf:
        case kCeph:
        case kHfs: return kCoarse;
        default: return {};
    }
}

}  // namespace quillmere::posix

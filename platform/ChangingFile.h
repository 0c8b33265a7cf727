// ChangingFile: when a source file counts as changing while it is copied, and how often it is
// tried again. Both copy engines ask these, so a file is judged alike on every system.
#pragma once

#include <cstdint>

namespace quillmere::ChangingFile {

// A file caught changing is opened anew by its name and copied again, up to this many tries in
// all, so a file replaced whole by its program is copied in its new version.
constexpr int kTries = 4;
// The pause between tries where the file system keeps fine times.
constexpr std::int64_t kPauseNs = 200'000'000;
// A write stamps the file's time before its data lands: a file changed less than this long ago
// may still be taking in its last write's data.
constexpr std::int64_t kQuietNs = 100'000'000;
// The reason given, after the source file's path, for a file still changing after the last try.
constexpr char kStillChanging[] = "コピー中にファイルが変更されました";

// How finely the file system holding the source keeps a file's times. Where it keeps them to the
// nanosecond a change made during the copy always moves them; where it keeps them to a second or
// two (FAT, exFAT, FUSE and network file systems), a rewrite within the same tick leaves them as
// they were and only the tick itself can be trusted.
struct TimeGrain {
    std::int64_t ns = 0;  // 0: fine enough to see every change
};
// The grain taken where a file system keeps times coarsely or does not say how finely: two seconds
// covers FAT's and every whole-second one, and a file changed within them only waits that much
// longer before its copy.
constexpr TimeGrain kCoarse{2'000'000'000};

// Whether a file whose times say it last changed at `changedNs` must be taken as still changing
// when its copy starts at `nowNs` (both in ns of the same clock). A time in the future (a clock
// set back, a FAT stick's local time read in another zone) says nothing either way and does not
// hold the copy up.
constexpr bool TooRecent(std::int64_t changedNs, std::int64_t nowNs, TimeGrain grain) {
    const std::int64_t age = nowNs - changedNs;
    return age >= 0 && age < grain.ns + kQuietNs;
}

// The pause before the next try: long enough for a coarse clock's tick (and the quiet time) to
// pass, so that a file last written just before its copy is no longer too recent at the next try.
constexpr std::int64_t PauseNs(TimeGrain grain) {
    return grain.ns > 0 ? grain.ns + kQuietNs : kPauseNs;
}

}  // namespace quillmere::ChangingFile

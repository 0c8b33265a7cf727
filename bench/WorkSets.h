// WorkSets: the source folders the copy and search figures are taken on, made once per run of the
// benchmark in its own temporary folder, which lies on the destination's file system so that
// both sides of every comparison copy within one file system.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quillmere::bench {

struct WorkSet {
    std::string label;     // as printed in the table
    std::string folder;    // the source folder
    std::size_t entries;   // everything in the folder
    std::size_t matching;  // the files "*.jra" selects
    std::size_t fileSize;  // of each matching file
};

// The sets of the copy table, in the order of the constants below, then the tenth of the large
// folder used for the growth figure.
enum CopySet { kSmall, kSmall20k, kTiny100k, kMedium, kLarge, kMany };

struct WorkSets {
    std::vector<WorkSet> copies;
    WorkSet tenThousand;  // a tenth of the large folder, for the time-per-entry comparison
};

// Makes every set under root and flushes it to disk, so the first measured copy does not pay for
// writing its own sources back. Throws std::runtime_error naming the path that failed.
WorkSets MakeWorkSets(const std::string& root);

// How many entries a folder holds, "." and ".." not counted; throws when it cannot be read.
std::size_t CountEntries(const std::string& folder);

}  // namespace quillmere::bench

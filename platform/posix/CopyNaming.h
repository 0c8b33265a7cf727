// CopyNaming: gives each durable copy its final name, and finds the names that the destination
// takes for one another.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <map>
#include <string>
#include <unordered_set>
#include <utility>

#include "platform/posix/CopyData.h"
#include "platform/posix/FolderReader.h"
#include "platform/posix/PlacedNames.h"
#include "platform/posix/TempFile.h"

namespace quillmere::posix {

// Within one run a copy never replaces another copy of the same run. On a destination that does
// not tell upper from lower case, "A.jra" and "a.jra" are one name; the second is refused, and
// the failure names both files. A name free before the run is only ever taken without replacing
// (linkat or RENAME_NOREPLACE); a name taken before the run is replaced only while it still
// reaches the file that stood there.
class CopyNaming {
public:
    // Notes which of the candidates' names the destination holds before anything is copied.
    CopyNaming(const CopyContext& context, const EntryList& candidates);

    // Whether the name stood in the destination before the run: its copy must replace it, which
    // needs a named temporary file.
    bool TakenBefore(const std::string& name) const { return m_before.contains(name); }
    // Gives one durable copy its final name, or finds it there already (a whole copy of the
    // same file by another run); throws naming the file.
    void Place(TempFile& file);
    // The copies of this run named so far.
    std::size_t PlacedCount() const { return m_placed.Count(); }

private:
    using FileId = std::pair<dev_t, ino_t>;

    void Placed(const std::string& name);
    void NameTaken(TempFile& file, const struct stat* reached);
    bool ReachesCopyOfThisRun(const std::string& name) const;

    const CopyContext& m_context;
    std::map<std::string, FileId> m_before;  // names taken before the run
    PlacedNames m_placed;
    // Their lower-case names, kept where the folder held files before the run (every name taken
    // before is then checked against them as its copy is named) and from the first name found
    // taken on (a second run in the same second meets every name so): one look-up a name, not a
    // pass over every copy named so far.
    std::unordered_set<std::string> m_placedLower;
    bool m_lowerKept = false;
};

}  // namespace quillmere::posix

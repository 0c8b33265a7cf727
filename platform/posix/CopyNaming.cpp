#include "platform/posix/CopyNaming.h"

#include <fcntl.h>

#include <cerrno>
#include <string_view>

#include "platform/CopyClash.h"
#include "platform/posix/ClashReport.h"
#include "platform/posix/PosixError.h"
#include "platform/posix/TakenName.h"

namespace quillmere::posix {

CopyNaming::CopyNaming(const CopyContext& context, const EntryList& candidates) : m_context(context) {
    // A new stamp folder holds nothing, and every name is free; only a folder that holds files
    // already (two runs in the same second) needs each name looked up, by the file system's own
    // rules of which names are the same.
    if (!HoldsEntries(context.targetFd, context.targetFolder)) return;
    for (const Entry& candidate : candidates) {
        struct stat st {};
        if (::fstatat(context.targetFd, candidate.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            m_before.emplace(candidate.name, FileId{st.st_dev, st.st_ino});
        }
    }
    m_lowerKept = !m_before.empty();
}

void CopyNaming::Place(TempFile& file) {
    const std::string& name = file.FinalName();
    bool replace = false;
    if (m_context.overwrite) {
        if (const auto earlier = m_before.find(name); earlier != m_before.end()) {
            struct stat now {};
            if (::fstatat(m_context.targetFd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
                // Another file than the one that stood there before the run: a copy of this run
                // that the file system takes for the same name.
                const bool sameFile = now.st_dev == earlier->second.first && now.st_ino == earlier->second.second;
                if (!sameFile || ReachesCopyOfThisRun(name)) return NameTaken(file, &now);
                replace = true;
            }
        }
    }
    if (const int renameError = file.Commit(replace)) {
        if (renameError == EEXIST && m_context.overwrite) return NameTaken(file, nullptr);
        throw PosixError::ForPath(InFolder(m_context.targetFolder, name), renameError);
    }
    Placed(name);
}

void CopyNaming::Placed(const std::string& name) {
    m_placed.Add(name);
    if (m_lowerKept) m_placedLower.insert(AsciiLower(name));
}

// The name reaches another file than the one it reached before the run. Spelled as this copy's
// name, it was taken during the run: by another writer, or by a second run started in the same
// second, whose whole copy of the same file counts as this one (this one goes unnamed). Spelled
// otherwise, the file system takes both spellings for one name.
// The folder is read only on the way to a failure: two runs in one folder meet every name so.
void CopyNaming::NameTaken(TempFile& file, const struct stat* reached) {
    const std::string& name = file.FinalName();
    if (!m_lowerKept) {
        m_placed.ForEach([&](std::string_view placed) { m_placedLower.insert(AsciiLower(std::string(placed))); });
        m_lowerKept = true;
    }
    // A copy of this run whose name differs only in case: no name is copied twice in one run, so
    // a copy with the same lower-case name is spelled otherwise.
    const bool twin = m_placedLower.contains(AsciiLower(name));
    if (!twin && HoldsSameCopy(m_context.targetFd, name, file.Fd())) return Placed(name);
    if (!HoldsSpelling(m_context.targetFd, m_context.targetFolder, name))
        ThrowClash(m_context, m_placed, name, reached);
    throw PosixError::ForPath(InFolder(m_context.sourceFolder, name),
                              CopyClash::TakenReason(InFolder(m_context.targetFolder, name)));
}

// A FUSE file system may number one file differently under each spelling of its name, so the
// same file number proves nothing there. A copy of this run spelled otherwise only in case, while
// the folder holds no entry spelled as this name, shows that the name reaches that copy.
// No name is copied twice in one run, so a copy of this run with the same lower-case name is
// spelled otherwise.
bool CopyNaming::ReachesCopyOfThisRun(const std::string& name) const {
    return m_placedLower.contains(AsciiLower(name)) && !HoldsSpelling(m_context.targetFd, m_context.targetFolder, name);
}

}  // namespace quillmere::posix

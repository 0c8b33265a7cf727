// PendingCopies: finished copies waiting to be made durable and renamed into place together.
#pragma once

#include <cstddef>
#include <deque>

#include "platform/posix/TempFile.h"

namespace quillmere::posix {

// Finished copies waiting in their temporary files. A batch is made durable as a whole and only
// then renamed into place, in name order: no file stands under its final name before its data is
// on disk, yet the batch costs one write-back of the file system rather than one per file. The
// batch is bounded, so a folder of any size never holds more than that many files open.
class PendingCopies {
public:
    explicit PendingCopies(CopyContext& context);

    TempFile& Add(const CopyPaths& paths) { return m_files.emplace_back(m_context.targetFd, paths); }
    // A copy that failed half-way; its temporary file goes with it.
    void DropLast() { m_files.pop_back(); }
    bool Full() const { return m_files.size() >= m_capacity; }

    // Makes every waiting copy durable, then renames them into place. When one fails, those
    // before it are still renamed (they are whole and durable) and the failure names that file;
    // the temporary files of the rest are removed.
    void Commit();

private:
    CopyContext& m_context;
    std::deque<TempFile> m_files;
    std::size_t m_capacity = 1024;
};

}  // namespace quillmere::posix

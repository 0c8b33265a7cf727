// OpenFileBudget: the descriptors one copy run may hold open, raised for the run and put back
// after it.
#pragma once

#include <sys/resource.h>

#include <cstddef>

namespace quillmere::posix {

// Every waiting copy holds a descriptor. A shell's soft limit of 1024 would cut each batch to a
// quarter and make a large run sync four times as often, so the limit is raised for the run,
// towards the hard limit and no further than two full batches need, and put back after it:
// programs started later get the limit the program had.
class OpenFileBudget {
public:
    // maxBatchFiles: the most files a batch ever holds; candidates: the files of the run;
    // folderFd: any descriptor, duplicated once to grow the descriptor table.
    OpenFileBudget(std::size_t maxBatchFiles, std::size_t candidates, int folderFd);
    OpenFileBudget(const OpenFileBudget&) = delete;
    OpenFileBudget& operator=(const OpenFileBudget&) = delete;
    ~OpenFileBudget() {
        if (m_raised) (void)::setrlimit(RLIMIT_NOFILE, &m_limit);  // the old limit is lower: nothing to refuse
    }

    // The files one batch may hold open, two batches being open at once.
    std::size_t BatchFiles() const { return m_batchFiles; }

private:
    rlimit m_limit{};
    bool m_raised = false;
    std::size_t m_batchFiles;
};

}  // namespace quillmere::posix

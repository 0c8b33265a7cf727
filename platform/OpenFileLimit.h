// OpenFileLimit: the soft limit on open files, raised only as far as a copy needs and lowered
// again for the programs this one starts.
//
// The POSIX copy engine keeps a batch of finished copies open until one sync has made them all
// durable; a batch is at most 1024 files and at most a quarter of the soft limit. Desktops start
// programs with a soft limit of 1024 under a much higher hard one, which gives batches of 256.
// A program started from here (the mail or web program) must not inherit the raised limit: some
// programs size tables by it or close every descriptor up to it. On Windows there is no such
// limit and both calls do nothing more than run what they are given.
#pragma once

#include <functional>

namespace quillmere::OpenFileLimit {

// The soft limit under which a batch reaches its 1024 files (it takes at most a quarter, so the
// sources, folders and the rest of the program keep the other three).
inline constexpr long kForCopies = 4 * 1024;

// Raises the soft limit to kForCopies where the hard limit allows, never lowers it, and remembers
// the limit the program started with. Called once, at start-up, before any thread starts.
void RaiseForCopies();

// Runs start (which starts another program) with the limit the program started with, and puts
// the raised one back afterwards, also when start throws.
void WithStartingLimit(const std::function<void()>& start);

}  // namespace quillmere::OpenFileLimit

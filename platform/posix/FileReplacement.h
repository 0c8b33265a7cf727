// FileReplacement: the never-torn replacement of a small file (the settings file) through a
// temporary file beside it, and the removal of temporary files that killed writers left behind.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace quillmere::FileReplacement {

// Writes the text to a temporary file beside the target, makes it durable and renames it over
// the target, then makes the rename durable through folderFd, the target's folder. Throws
// naming the target.
void Replace(int folderFd, const std::filesystem::path& target, const std::string& text, mode_t mode);

// Removes the temporary files of earlier writes to target that no live writer holds. Anything
// else in the folder is left alone. Failures are passed over.
void RemoveRemnants(int folderFd, const std::filesystem::path& target);

}  // namespace quillmere::FileReplacement

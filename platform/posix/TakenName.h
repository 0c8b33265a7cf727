// TakenName: what stands at a name that a finished copy found taken in the stamp folder.
#pragma once

#include <string>

namespace quillmere::posix {

// Whether the folder holds any entry at all.
bool HoldsEntries(int folderFd, const std::string& path);

std::string AsciiLower(std::string name);

// Whether the folder holds an entry spelled exactly so; a lookup by name cannot tell, where the
// file system takes several spellings for one name.
bool HoldsSpelling(int folderFd, const std::string& path, const std::string& name);

// Whether the file at the name is a whole copy of the same source as the finished copy copyFd:
// a regular file of the same size and modification time holding the same bytes. Two runs started
// in the same second into one destination each meet the other's copies so.
bool HoldsSameCopy(int folderFd, const std::string& name, int copyFd);

}  // namespace quillmere::posix

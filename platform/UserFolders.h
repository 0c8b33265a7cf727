// UserFolders: the user's home folder and the process's working folder, the two folders a
// relative folder text is taken against (posix/ and win32/). Each answers "" when the system
// cannot tell.
#pragma once

#include <string>

namespace quillmere::UserFolders {

// $HOME, else the user's entry in the user database; on Windows the user's profile folder.
std::string Home();
std::string Working();

}  // namespace quillmere::UserFolders

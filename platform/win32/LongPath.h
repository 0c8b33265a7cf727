// LongPath: the UTF-16 form of a path as the Win32 file functions take it. A path too long for
// the classic limit of 260 characters (248 for a folder) gets the "\\?\" prefix, which lifts the
// limit but also turns off the system's path clean-up, so the path is first made full and clean
// by GetFullPathNameW.
#pragma once

#include <string>

namespace quillmere::LongPath {

// The whole path, cleaned up by the usual Win32 rules when it is long.
std::wstring Of(const std::string& path);
// A folder (its separator may be there or not; "" is the current folder) and a last component that is passed through
// untouched: a search pattern such as "*." must keep its trailing dot, which the clean-up would remove.
std::wstring Of(const std::string& folder, const std::wstring& last);
// Always the full "\\?\" form of a folder and a name found in it, whatever the length: the
// system then takes the name exactly as the folder holds it, so "x.jra." and "y.jra " (which the
// usual clean-up would turn into "x.jra" and "y.jra") and "CON.jra" (a device by the old rules)
// are the files they name. The folder part is made full and clean first.
std::wstring Exact(const std::string& folder, const std::wstring& name);

}  // namespace quillmere::LongPath

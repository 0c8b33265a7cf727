// WideText: the conversion between the core's UTF-8 text and the UTF-16 text of the Win32 API.
// It happens only at the edge, inside the Win32 system operations.
#pragma once

#include <string>
#include <string_view>

namespace quillmere::WideText {

// Bytes that are not valid UTF-8 become U+FFFD; text that comes from the windows is always valid.
std::wstring Widen(std::string_view text);
// A lone surrogate (a name no other program could have typed) becomes U+FFFD.
std::string Narrow(std::wstring_view text);

}  // namespace quillmere::WideText

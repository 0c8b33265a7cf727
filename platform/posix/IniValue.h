// IniValue: a value of the INI settings file as it stands after "=" and the text it stands for.
// Only a value that holds a line break or a tab, or begins with a double quote, is written in
// double quotes with the escapes \\ \" \n \r \t; every other value is written as it is.
#pragma once

#include <string>
#include <string_view>

namespace quillmere::IniValue {

// A quoted value is one this program wrote; anything else, including a hand-written value that
// opens a quote it never closes, is taken exactly as it stands.
std::string Decode(std::string_view raw);
std::string Encode(const std::string& value);

}  // namespace quillmere::IniValue

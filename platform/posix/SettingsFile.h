// SettingsFile: the per-user settings store on Linux, one INI file in UTF-8.
//
//   [MainWindow]
//   Left=1000
//
// A value is everything after the first "=" to the end of the line, spaces kept. Only a value that
// holds a line break or a tab, or begins with a double quote, is written in double quotes with the
// escapes \\ \" \n \r \t. Section and key names match without regard to ASCII case, as the Windows
// registry does. Lines the program does not know (other keys, comments) survive every rewrite.
//
// Every write reads the file afresh, changes its keys and replaces the file atomically and durably
// under a lock, so two running copies never lose each other's keys and a crash or a full disk
// leaves the old or the new file, never a torn one.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quillmere {

class SettingsFile {
public:
    explicit SettingsFile(std::filesystem::path file);

    // $XDG_CONFIG_HOME/<app>/<app>.conf, or ~/.config/<app>/<app>.conf. Throws PlatformError
    // for a name the rules of SettingsNames refuse.
    static std::filesystem::path LocationFor(const std::string& app);

    // The stored text, or defaultValue when the file or the key is absent. Throws PlatformError
    // with the path and reason when the file exists but cannot be read.
    std::string Read(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // Creates the folder, the section and the key as needed. Throws PlatformError with the path
    // and reason; the file on disk is then the one that was there before.
    void Write(const std::string& section, const std::string& key, const std::string& value);
    // The same for several keys of one section, changed in order in one replace of the file: they
    // are stored together or not at all, and a file that holds them all already is not rewritten.
    void Write(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values);

private:
    std::filesystem::path m_file;
};

}  // namespace quillmere

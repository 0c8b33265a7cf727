// PlatformOps: the operations of the system that the backup run and the windows use, and the
// numbers they exchange (prompt styles and answers, search attributes, mouse pointers).
// Everything the program does to the outside world goes through this one interface, so the run
// can be driven by a recording fake in tests and by the real system in the program.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace quillmere {

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// A failing operation throws this; what() is the text shown to the user: the path the failure
// concerns and the system's own reason.
class PlatformError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Message box styles (buttons + icon).
namespace PromptStyle {
inline constexpr int OkOnly = 0;
inline constexpr int OkExclamation = 48;
inline constexpr int YesNoQuestion = 36;
}  // namespace PromptStyle

// The button that closed a message box.
namespace PromptAnswer {
inline constexpr int Ok = 1;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace PromptAnswer

// Attribute masks of FindFirstEntry.
namespace EntryAttributes {
inline constexpr int Normal = 0;      // ordinary, visible files only
inline constexpr int Directory = 16;  // folders as well
}  // namespace EntryAttributes

namespace MousePointer {
inline constexpr int Default = 0;
inline constexpr int Hourglass = 11;
}  // namespace MousePointer

namespace ShowMode {
inline constexpr int Normal = 5;
}

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

class CopyMonitor;

class PlatformOps {
public:
    virtual ~PlatformOps() = default;
    virtual int ShowPrompt(const std::string& text, int style, const std::optional<std::string>& title) = 0;
    virtual std::string FindFirstEntry(const std::string& pattern, int attributes) = 0;
    virtual void CreateFolder(const std::string& path) = 0;
    // Reports its progress to the monitor and stops when the monitor asks (see CopyMonitor.h).
    virtual void CopyMatching(const std::string& sourcePattern, const std::string& destination, bool overwrite,
                              CopyMonitor& monitor) = 0;
    // Housekeeping that reports nothing, so a fake may leave it out.
    virtual void RemoveLeftoverCopies(const std::string& /*folderPattern*/) {}
    virtual LocalTime CurrentLocalTime() = 0;
    virtual std::string ReadSetting(const std::string& app, const std::string& section, const std::string& key,
                                    const std::string& defaultValue) = 0;
    virtual void WriteSetting(const std::string& app, const std::string& section, const std::string& key,
                              const std::string& value) = 0;
    virtual void LaunchCommand(const std::string& commandLine, int showMode) = 0;
};

}  // namespace quillmere

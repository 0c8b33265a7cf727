// SettingsLayout: the names, defaults and value conversions of everything the program remembers.
//
//   Quillmere / MainWindow / Left, Top                      window position in twips, default 1000
//   Quillmere / LastExec   / SrcFolder, DstFolder, FileType  inputs of the last backup that ran
//   Quillmere / LastExec   / DstVolume                       the file system DstFolder was on then
//   Quillmere / LastExec   / KeepRuns, KeepDays              retention limits; 0 or absent: keep all
//   Quillmere / LastExec   / ShareUnchanged                  "1": unchanged files are not stored again
//
// The main window reads all five at start-up and writes the position when it closes; the backup
// run writes the three inputs after every run that got past its input checks.
#pragma once

#include <optional>
#include <string>

#include "platform/ProgramInfo.h"

namespace quillmere {

namespace SettingsLayout {
// The settings are kept under the program's name.
inline constexpr const char* kAppName = ProgramInfo::kName;

inline constexpr char kSectionMainWindow[] = "MainWindow";
inline constexpr char kKeyLeft[] = "Left";
inline constexpr char kKeyTop[] = "Top";
inline constexpr float kDefaultPosition = 1000.0F;
inline constexpr char kDefaultPositionText[] = "1000";

inline constexpr char kSectionLastExec[] = "LastExec";
inline constexpr char kKeySrcFolder[] = "SrcFolder";
inline constexpr char kKeyDstFolder[] = "DstFolder";
inline constexpr char kKeyFileType[] = "FileType";
// Written with the inputs: the destination's file system as PlatformOps::FolderIdentity names it,
// or "" when it could not be read. Absent in the settings of older versions.
inline constexpr char kKeyDstVolume[] = "DstVolume";
// How many completed backups and how many days of backups a completed run keeps in the
// destination. Set only from the command line, read by every run; absent means 0, keep everything.
inline constexpr char kKeyKeepRuns[] = "KeepRuns";
inline constexpr char kKeyKeepDays[] = "KeepDays";
// "1": a file unchanged since the newest earlier completed backup is taken from its copy there
// (cloned or linked) instead of copied again. Anything else, or absent: every file is copied.
// Written with the inputs by a run told to change it (the command line's option).
inline constexpr char kKeyShareUnchanged[] = "ShareUnchanged";
inline constexpr char kShareOn[] = "1";
inline constexpr char kShareOff[] = "0";
inline constexpr char kDefaultFolder[] = "C:\\Program Files\\Pat98";
inline constexpr char kDefaultFileType[] = "*.jra";

// One stored value: where it is kept and what it reads as before it was ever written.
struct StoredValue {
    const char* section;
    const char* key;
    const char* defaultValue;
};
// The window's position: Left, then Top.
inline constexpr StoredValue kPosition[] = {{kSectionMainWindow, kKeyLeft, kDefaultPositionText},
                                            {kSectionMainWindow, kKeyTop, kDefaultPositionText}};
// The inputs of the last backup, in the order the windows show them: source folder, destination
// folder, file type. The windows and the command-line program read them from here alike.
inline constexpr StoredValue kLastExec[] = {{kSectionLastExec, kKeySrcFolder, kDefaultFolder},
                                            {kSectionLastExec, kKeyDstFolder, kDefaultFolder},
                                            {kSectionLastExec, kKeyFileType, kDefaultFileType}};
}  // namespace SettingsLayout

// A position as stored: a whole number as a plain integer ("1000", "-120"), otherwise at most
// seven significant digits with "." as the decimal point, whatever the user's locale.
std::string PositionToText(float twips);

// A stored position back to a number: blanks around it ignored, an optional sign, "." or the user
// locale's decimal separator, an optional exponent. nullopt when the text is not a finite number.
std::optional<float> PositionFromText(const std::string& text);
// The same with the decimal separator given, for callers that know the user's locale otherwise.
std::optional<float> PositionFromText(const std::string& text, const std::string& decimalSeparator);

// The position a stored "Left" or "Top" text stands for. A text that is not a number (a file
// edited by hand) reads as the default 1000, so a damaged value never keeps the window from opening.
float StoredPosition(const std::string& text);

}  // namespace quillmere

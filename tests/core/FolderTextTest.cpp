// Folder texts made absolute: what each kind of text becomes against a base and a home folder,
// in both path styles, whatever system the test runs on.
#include "backup/FolderText.h"

#include <gtest/gtest.h>

namespace quillmere::test {
namespace {

using FolderText::PathStyle;

struct AbsoluteRow {
    const char* name;
    PathStyle style;
    const char* text;
    const char* base;
    const char* expected;
};

class FolderTextAbsolute : public testing::TestWithParam<AbsoluteRow> {};

TEST_P(FolderTextAbsolute, MakesTheTextAbsoluteOrKeepsIt) {
    const AbsoluteRow& row = GetParam();
    const char* home = row.style == PathStyle::Posix ? "/home/me" : "C:\\Users\\me";
    EXPECT_EQ(FolderText::Absolute(row.text, row.base, home, row.style), row.expected);
}

constexpr PathStyle kPosix = PathStyle::Posix;
constexpr PathStyle kWindows = PathStyle::Windows;

INSTANTIATE_TEST_SUITE_P(
    , FolderTextAbsolute,
    testing::Values(
        AbsoluteRow{"PosixAbsoluteIsKept", kPosix, "/data/odds", "/work", "/data/odds"},
        AbsoluteRow{"PosixRelative", kPosix, "オッズ データ", "/work", "/work/オッズ データ"},
        AbsoluteRow{"PosixLeadingDotsDropped", kPosix, "././odds/", "/work", "/work/odds/"},
        AbsoluteRow{"PosixDotIsTheBase", kPosix, ".", "/work", "/work"},
        AbsoluteRow{"PosixDotDotKept", kPosix, "../odds", "/work", "/work/../odds"},
        AbsoluteRow{"PosixBaseIsTheRoot", kPosix, "odds", "/", "/odds"},
        AbsoluteRow{"PosixTildeIsHome", kPosix, "~", "/work", "/home/me"},
        AbsoluteRow{"PosixTildeSlash", kPosix, "~/qm-backup", "/work", "/home/me/qm-backup"},
        AbsoluteRow{"PosixTildeNameIsAName", kPosix, "~me/x", "/work", "/work/~me/x"},
        AbsoluteRow{"PosixUnknownBaseKeepsTheText", kPosix, "odds", "", "odds"},
        AbsoluteRow{"PosixEmptyStaysEmpty", kPosix, "", "/work", ""},
        AbsoluteRow{"PosixDrivePathIsKept", kPosix, "C:\\Program Files\\Pat98", "/work", "C:\\Program Files\\Pat98"},
        AbsoluteRow{"PosixDrivePathWithSlash", kPosix, "c:/pat98", "/work", "c:/pat98"},
        AbsoluteRow{"PosixDriveWithoutSeparatorIsAName", kPosix, "C:x", "/work", "/work/C:x"},
        AbsoluteRow{"WindowsDrivePathIsKept", kWindows, "D:\\data", "C:\\work", "D:\\data"},
        AbsoluteRow{"WindowsShareIsKept", kWindows, "\\\\server\\share\\x", "C:\\work", "\\\\server\\share\\x"},
        AbsoluteRow{"WindowsRelative", kWindows, ".\\odds", "C:\\work", "C:\\work\\odds"},
        AbsoluteRow{"WindowsBaseIsADrive", kWindows, "odds", "C:\\", "C:\\odds"},
        AbsoluteRow{"WindowsRootOfTheBasesDrive", kWindows, "\\data", "C:\\work", "C:\\data"},
        AbsoluteRow{"WindowsRootOfTheBasesShare", kWindows, "/data", "\\\\srv\\share\\dir", "\\\\srv\\share/data"},
        AbsoluteRow{"WindowsDriveRelativeOnTheBasesDrive", kWindows, "c:odds", "C:\\work", "C:\\work\\odds"},
        AbsoluteRow{"WindowsDriveRelativeOnAnotherDrive", kWindows, "D:odds", "C:\\work", "D:\\odds"},
        AbsoluteRow{"WindowsTildeIsAName", kWindows, "~\\x", "C:\\work", "C:\\work\\~\\x"}),
    [](const testing::TestParamInfo<AbsoluteRow>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere::test

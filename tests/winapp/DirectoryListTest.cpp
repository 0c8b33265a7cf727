// The folder the directory list opens for a text handed in: only a path from a drive's root is
// taken, cleaned the way the system cleans it, and its chain of rows runs from the root down.
#include <gtest/gtest.h>

#include "platform/PlatformOps.h"
#include "winapp/DirectoryList.h"

namespace quillmere {
namespace {

struct Folder {
    const char* name;
    const char* text;
    const wchar_t* clean;  // null: refused
    std::size_t chainLength;
};

class CleanFolderTest : public testing::TestWithParam<Folder> {};

TEST_P(CleanFolderTest, TakesOnlyPathsFromADrivesRoot) {
    const Folder& folder = GetParam();
    if (!folder.clean) {
        EXPECT_THROW(CleanFolder(folder.text), PlatformError) << folder.text;
        return;
    }
    const std::wstring clean = CleanFolder(folder.text);
    EXPECT_EQ(clean, folder.clean);
    const std::vector<std::wstring> chain = FolderChain(clean);
    ASSERT_EQ(chain.size(), folder.chainLength);
    EXPECT_EQ(chain.front(), clean.substr(0, 3));
    EXPECT_EQ(chain.back(), clean);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CleanFolderTest,
    testing::Values(Folder{"Root", "c:\\", L"C:\\", 1},
                    Folder{"TrailingSeparator", "C:\\Pat98\\Odds\\", L"C:\\Pat98\\Odds", 3},
                    Folder{"ForwardSlashesAndDots", "C:/a/./b/../Odds", L"C:\\a\\Odds", 3},
                    Folder{"AboveTheRoot", "C:\\..\\..", L"C:\\", 1},
                    Folder{"TrailingSpacesAndDots", "C:\\Pat98 . ", L"C:\\Pat98", 2},
                    Folder{"Japanese", "C:\\バックアップ\\古いオッズ", L"C:\\バックアップ\\古いオッズ", 3},
                    Folder{"Empty", "", nullptr, 0}, Folder{"Relative", "Pat98\\Odds", nullptr, 0},
                    Folder{"DriveRelative", "C:Pat98", nullptr, 0}, Folder{"DriveAlone", "C:", nullptr, 0},
                    Folder{"RootOfTheCurrentDrive", "\\Pat98", nullptr, 0},
                    Folder{"NetworkShare", "\\\\server\\share\\Pat98", nullptr, 0},
                    Folder{"NetworkShareWithForwardSlashes", "//server/share", nullptr, 0}),
    [](const testing::TestParamInfo<Folder>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillmere

// Windows drive paths on Linux through a Wine prefix of the test's own: each component is found
// whatever its case, a missing one is kept as typed, and a drive the prefix lacks names nothing,
// so nothing is searched, created or copied under a name such as "D:\backup" in the working folder.
#include "platform/posix/WineDrive.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/SystemOps.h"
#include "tests/support/FailureOf.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;
namespace WineDrive = posix::WineDrive;

class WinePrefix : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(temp.Path() / "prefix/dosdevices");
        fs::create_directories(temp.Path() / "prefix/drive_c/Program Files/PAT98");
        fs::create_symlink("../drive_c", temp.Path() / "prefix/dosdevices/c:");
        fs::create_symlink("../missing", temp.Path() / "prefix/dosdevices/e:");
        driveC = fs::canonical(temp.Path() / "prefix/drive_c").string();
    }

    TempFolder temp;
    ScopedVariable prefix{"WINEPREFIX", temp / "prefix"};
    std::string driveC;
};

struct MapRow {
    const char* name;
    const char* text;
    const char* expected;  // in drive C's folder; nullptr: no such drive
};

class WineDriveMap : public WinePrefix, public testing::WithParamInterface<MapRow> {};

TEST_P(WineDriveMap, FindsEachComponentWhateverItsCase) {
    const std::optional<std::string> mapped = WineDrive::Map(GetParam().text);
    if (!GetParam().expected) {
        EXPECT_EQ(mapped, std::nullopt);
    } else {
        EXPECT_EQ(mapped, driveC + GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    , WineDriveMap,
    testing::Values(MapRow{"AsTyped", "C:\\Program Files\\PAT98", "/Program Files/PAT98"},
                    MapRow{"OtherCaseAndSlashes", "c:/PROGRAM files\\pat98\\", "/Program Files/PAT98"},
                    MapRow{"MissingKeptAsTyped", "C:\\program files\\Pat98\\New\\sub", "/Program Files/PAT98/New/sub"},
                    MapRow{"AfterAMissingOne", "C:\\Missing\\program files", "/Missing/program files"},
                    MapRow{"WildcardLeftToTheSearch", "C:\\Program Files\\Pat98/*.JRA", "/Program Files/PAT98/*.JRA"},
                    MapRow{"TheDrivesRoot", "C:\\", ""}, MapRow{"NoSuchDrive", "D:\\backup", nullptr},
                    MapRow{"DanglingDrive", "E:\\backup", nullptr}, MapRow{"NotADrivePath", "C:backup", nullptr}),
    [](const testing::TestParamInfo<MapRow>& info) { return std::string(info.param.name); });

class FilesOnly final : public SystemOps {
public:
    PromptAnswer ShowPrompt(const std::string&, PromptStyle, const std::optional<std::string>&) override {
        return PromptAnswer::Ok;
    }
    void LaunchCommand(const std::string&, ShowMode) override {}
};

TEST_F(WinePrefix, OnlyDrivesThatLeadToAFolderAreListedAndAMissingOneHoldsNothing) {
    ASSERT_EQ(WineDrive::Drives().size(), 1U);
    EXPECT_EQ(WineDrive::Drives()[0].letter, 'C');
    EXPECT_EQ(WineDrive::Drives()[0].folder, driveC);

    FilesOnly ops;
    EXPECT_EQ(ops.FindFirstEntry("C:\\program files\\pat98", EntryAttributes::Directory), "PAT98");
    EXPECT_EQ(ops.FindFirstEntry("D:\\backup", EntryAttributes::Directory), "");
    EXPECT_EQ(FailureOf([&] { ops.CreateFolder("D:\\backup"); }), "D:\\backup: Wine のドライブ D: がありません。");
    ops.CreateFolder("C:\\Program Files\\pat98\\バックアップ");
    EXPECT_TRUE(fs::is_directory(driveC + "/Program Files/PAT98/バックアップ"));
    EXPECT_EQ(ops.SystemPath("c:\\"), driveC);
}

}  // namespace
}  // namespace quillmere::test

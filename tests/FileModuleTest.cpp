// FileModule against the recording fake: the path and stamp texts, and how each file operation
// reports a failure of its platform operation (text, style, title) and then carries on.
#include <gtest/gtest.h>

#include "backup/FileModule.h"
#include "tests/FakePlatform.h"
#include "tests/NativePath.h"

namespace quillmere::test {
namespace {

using Log = std::vector<std::string>;

// The separator that is not the platform's: an ordinary character of a name.
constexpr char kOtherSeparator = kPathSeparator == '/' ? '\\' : '/';

struct JoinCase {
    std::string name;
    std::string folder;
    std::string file;
    std::string expected;
};

// In these rows "/" stands for the platform's separator and "~" for the other one.
std::string Spell(std::string text) {
    text = Native(text);
    std::replace(text.begin(), text.end(), '~', kOtherSeparator);
    return text;
}

const JoinCase kJoinCases[] = {
    {"AddsTheSeparator", "/data", "20010605_210403", "/data/20010605_210403"},
    {"FolderEndingInSeparatorGetsNoSecond", "/data/", "x", "/data/x"},
    {"RootGetsNoSecondSeparator", "/", "x", "/x"},
    {"OtherSeparatorIsAnOrdinaryCharacter", "/data~", "x", "/data~/x"},
    {"EmptyFolderStillGetsTheSeparator", "", "x", "/x"},
    {"EmptyNameLeavesTheSeparatorLast", "/data", "", "/data/"},
    {"LeadingSeparatorOfTheNameIsKept", "/data", "/x", "/data//x"},
    {"FolderIsNotTrimmed", " /data ", "x", " /data /x"},
    {"JapaneseNamesAreJoinedWhole", "/バックアップ", "ファイル.jra", "/バックアップ/ファイル.jra"},
    {"FolderEndingInJapaneseCharacter", "/データ", "*.jra", "/データ/*.jra"},
};

class JoinPathTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinPathTest, Joins) {
    const JoinCase& c = GetParam();
    EXPECT_EQ(FileModule::JoinPath(Spell(c.folder), Spell(c.file)), Spell(c.expected));
}

INSTANTIATE_TEST_SUITE_P(FileModule, JoinPathTest, testing::ValuesIn(kJoinCases),
                         [](const testing::TestParamInfo<JoinCase>& info) { return info.param.name; });

struct StampCase {
    std::string name;
    LocalTime moment;
    std::string expected;
};

const StampCase kStampCases[] = {
    {"EveningIsOnThe24HourClock", {2001, 6, 5, 21, 4, 3}, "20010605_210403"},
    {"MidnightOfNewYear", {2027, 1, 1, 0, 0, 0}, "20270101_000000"},
    {"LastSecondOfTheYear", {2026, 12, 31, 23, 59, 59}, "20261231_235959"},
    {"LeapDay", {2024, 2, 29, 12, 0, 0}, "20240229_120000"},
    {"LeapDayOfACenturyDivisibleBy400", {2000, 2, 29, 1, 2, 3}, "20000229_010203"},
    {"SmallYearIsPaddedToFourDigits", {1, 1, 1, 0, 0, 0}, "00010101_000000"},
    {"LastRepresentableMoment", {9999, 12, 31, 23, 59, 59}, "99991231_235959"},
    {"NoLeapDayInACommonYear", {2023, 2, 29, 0, 0, 0}, ""},
    {"NoLeapDayInACenturyNotDivisibleBy400", {1900, 2, 29, 0, 0, 0}, ""},
    {"Month13", {2026, 13, 1, 0, 0, 0}, ""},
    {"Month0", {2026, 0, 1, 0, 0, 0}, ""},
    {"Day0", {2026, 1, 0, 0, 0, 0}, ""},
    {"April31", {2026, 4, 31, 0, 0, 0}, ""},
    {"Hour24", {2026, 1, 1, 24, 0, 0}, ""},
    {"Minute60", {2026, 1, 1, 0, 60, 0}, ""},
    {"LeapSecond", {2026, 12, 31, 23, 59, 60}, ""},
    {"NegativeSecond", {2026, 1, 1, 0, 0, -1}, ""},
    {"FiveDigitYear", {10000, 1, 1, 0, 0, 0}, ""},
    {"YearZero", {0, 1, 1, 0, 0, 0}, ""},
};

class StampNameTest : public testing::TestWithParam<StampCase> {};

TEST_P(StampNameTest, Formats) {
    EXPECT_EQ(FileModule::StampName(GetParam().moment), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(FileModule, StampNameTest, testing::ValuesIn(kStampCases),
                         [](const testing::TestParamInfo<StampCase>& info) { return info.param.name; });

class FileOperationsTest : public testing::Test {
protected:
    Log log;
    FakePlatform ops{log};
};

TEST_F(FileOperationsTest, FolderFoundBySearchExistsWithoutMessage) {
    ops.Find(Native("/data"), 16, "data");
    EXPECT_TRUE(FileModule::FolderExists(ops, Native("/data")));
    EXPECT_TRUE(ops.prompts.shown.empty());
}

TEST_F(FileOperationsTest, PathMatchingNothingDoesNotExistAndShowsNothing) {
    EXPECT_FALSE(FileModule::FolderExists(ops, Native("/missing")));
    EXPECT_EQ(log, Log{Native("find /missing 16")});
}

TEST_F(FileOperationsTest, FolderWithSeparatorThatListsNothingIsLookedUpItself) {
    // An empty volume root lists no entry; the folder itself is still there.
    ops.Find(Native("/mnt/usb/."), 16, ".");
    EXPECT_TRUE(FileModule::FolderExists(ops, Native("/mnt/usb/")));
    EXPECT_EQ(log, (Log{Native("find /mnt/usb/ 16"), Native("find /mnt/usb/. 16")}));
}

TEST_F(FileOperationsTest, MissingFolderWithSeparatorDoesNotExist) {
    EXPECT_FALSE(FileModule::FolderExists(ops, Native("/missing/")));
    EXPECT_TRUE(ops.prompts.shown.empty());
}

TEST_F(FileOperationsTest, FailingSearchIsShownWithoutIconUnderTheApplicationTitle) {
    ops.failures[Native("find /mnt/cdrom 16")] = "/mnt/cdrom: No medium found";
    EXPECT_FALSE(FileModule::FolderExists(ops, Native("/mnt/cdrom")));
    ASSERT_EQ(ops.prompts.shown.size(), 1U);
    EXPECT_EQ(ops.prompts.shown[0].text, "/mnt/cdrom: No medium found");
    EXPECT_EQ(ops.prompts.shown[0].style, PromptStyle::OkOnly);
    EXPECT_EQ(ops.prompts.shown[0].title, std::nullopt);
}

TEST_F(FileOperationsTest, MakeFolderFailureIsShownUnderItsOwnTitle) {
    ops.failures[Native("mkdir /dst")] = "/dst: File exists";
    FileModule::MakeFolder(ops, Native("/dst"));
    EXPECT_EQ(log, (Log{Native("mkdir /dst"), "prompt 48 [フォルダの作成] /dst: File exists"}));
}

TEST_F(FileOperationsTest, MakeFolderSuccessShowsNothing) {
    FileModule::MakeFolder(ops, Native("/dst"));
    EXPECT_EQ(log, Log{Native("mkdir /dst")});
}

TEST_F(FileOperationsTest, CopyTakesTheWildcardLastAndAlwaysOverwrites) {
    FileModule::CopyMatchingFiles(ops, Native("/src"), Native("/dst/20010605_210403"), "zo*.jra");
    EXPECT_EQ(log, Log{Native("copy /src/zo*.jra -> /dst/20010605_210403 overwrite")});
}

TEST_F(FileOperationsTest, CopyFailureIsShownUnderItsOwnTitleOnce) {
    const std::string line = Native("copy /src/*.jra -> /dst overwrite");
    ops.failures[line] = "/dst/b.jra: Is a directory";
    FileModule::CopyMatchingFiles(ops, Native("/src"), Native("/dst"), "*.jra");
    EXPECT_EQ(log, (Log{line, "prompt 48 [ファイルのコピー] /dst/b.jra: Is a directory"}));
}

}  // namespace
}  // namespace quillmere::test

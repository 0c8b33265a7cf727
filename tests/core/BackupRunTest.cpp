// The backup run against the recording fake: which checks run, in which order, what each box
// says, where the focus goes, when the pointer changes, and what is stored.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "backup/BackupRun.h"
#include "backup/RunRecord.h"
#include "tests/support/FakePlatform.h"
#include "tests/support/FakeWindow.h"
#include "tests/support/NativePath.h"

namespace quillmere::test {
namespace {

using Log = std::vector<std::string>;

const std::string kStamp = "20010605_210403";  // FakePlatform's clock

struct RunCase {
    std::string name;
    std::array<std::string, 3> inputs;  // source, destination, file type as typed
    std::function<void(FakePlatform&)> setUp;
    Log expected;
};

void SourceAndDestinationExist(FakePlatform& ops) {
    ops.Find("/src", EntryAttributes::Directory, "src");
    ops.Find("/dst", EntryAttributes::Directory, "dst");
    ops.Find("/dst/.", EntryAttributes::Directory, ".");
}

void EverythingThere(FakePlatform& ops) {
    SourceAndDestinationExist(ops);
    ops.Find("/src/*.jra", EntryAttributes::Normal, "ZO01.JRA");
}

void DestinationMissing(FakePlatform& ops) {
    ops.Find("/src", EntryAttributes::Directory, "src");
    ops.Find("/src/*.jra", EntryAttributes::Normal, "ZO01.JRA");
}

// The calls of a run that got past its checks, from the hourglass to the default pointer.
Log RunAfterChecks(const std::string& src = "/src", const std::string& dst = "/dst",
                   const std::string& type = "*.jra") {
    return {"pointer 11",
            "clock",
            "mkdir " + dst + "/" + kStamp,
            "record " + dst + "/" + kStamp + " running",
            "read Quillmere:LastExec:ShareUnchanged",
            "copy " + src + "/" + type + " -> " + dst + "/" + kStamp + " overwrite",
            "clock",
            "record " + dst + "/" + kStamp + " completed",
            "read Quillmere:LastExec:KeepRuns",
            "read Quillmere:LastExec:KeepDays",
            "identity " + dst,
            "write Quillmere:LastExec:SrcFolder=" + src,
            "write Quillmere:LastExec:DstFolder=" + dst,
            "write Quillmere:LastExec:FileType=" + type,
            "write Quillmere:LastExec:DstVolume=UUID=0123",
            "pointer 0"};
}

Log Join(Log head, const Log& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::string kNoneCopied = "0 個のファイルをコピーしました。残りのファイルはコピーしていません。";

const Log kChecksPass = {"find /src 16", "find /dst 16", "find /dst/. 16", "find /src/*.jra 0"};
const std::string kNul(1, '\0');

const RunCase kRunCases[] = {
    {"BothFoldersEmptyReportsTheSourceOnly",
     {"", "", "*.jra"},
     nullptr,
     {"prompt 48 [バックアップ] コピー元フォルダが指定されていません。", "focus SourceFolder"}},
    {"SourceOfSpacesCountsAsEmpty",
     {"   ", "/dst", "*.jra"},
     nullptr,
     {"prompt 48 [バックアップ] コピー元フォルダが指定されていません。", "focus SourceFolder"}},
    {"EmptyDestinationIsReportedBeforeAnySearch",
     {"/src", "  ", "*.jra"},
     nullptr,
     {"prompt 48 [バックアップ] コピー先フォルダが指定されていません。", "focus DestinationFolder"}},
    {"MissingSourceIsReportedBeforeTheDestinationIsTested",
     {"/src", "/dst", "*.jra"},
     nullptr,
     {"find /src 16", "prompt 48 [バックアップ] コピー元フォルダが存在しません。", "focus SourceFolder"}},
    {"MissingDestinationAnsweredNoEndsWithoutMessage",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         DestinationMissing(ops);
         ops.prompts.answers = {PromptAnswer::No};
     },
     {"find /src 16", "find /dst 16", "prompt 36 [バックアップ] コピー先フォルダが存在しません。作成しますか？",
      "focus DestinationFolder"}},
    {"MissingDestinationAnsweredYesIsCreatedAndTheRunGoesOn",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         DestinationMissing(ops);
         ops.prompts.answers = {PromptAnswer::Yes};
     },
     Join({"find /src 16", "find /dst 16", "prompt 36 [バックアップ] コピー先フォルダが存在しません。作成しますか？",
           "mkdir /dst", "find /src/*.jra 0"},
          RunAfterChecks())},
    {"CreatedDestinationStaysWhenTheFileTypeIsMissing",
     {"/src", "/dst", " "},
     [](FakePlatform& ops) {
         DestinationMissing(ops);
         ops.prompts.answers = {PromptAnswer::Yes};
     },
     {"find /src 16", "find /dst 16", "prompt 36 [バックアップ] コピー先フォルダが存在しません。作成しますか？",
      "mkdir /dst", "prompt 48 [バックアップ] ファイル種別が指定されていません。", "focus FileType"}},
    {"DestinationThatCannotBeCreatedIsReportedAtEachAttempt",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         DestinationMissing(ops);
         ops.prompts.answers = {PromptAnswer::Yes};
         ops.failures["mkdir /dst"] = "/dst: Permission denied";
         ops.failures["mkdir /dst/" + kStamp] = "/dst/" + kStamp + ": No such file or directory";
         ops.failures["copy /src/*.jra -> /dst/" + kStamp + " overwrite"] =
             "/dst/" + kStamp + ": No such file or directory";
     },
     {"find /src 16", "find /dst 16", "prompt 36 [バックアップ] コピー先フォルダが存在しません。作成しますか？",
      "mkdir /dst", "prompt 48 [フォルダの作成] /dst: Permission denied", "find /src/*.jra 0", "pointer 11", "clock",
      "mkdir /dst/" + kStamp, "prompt 48 [フォルダの作成] /dst/" + kStamp + ": No such file or directory",
      "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite",
      "prompt 48 [ファイルのコピー] /dst/" + kStamp + ": No such file or directory\n" + kNoneCopied, "identity /dst",
      "write Quillmere:LastExec:SrcFolder=/src", "write Quillmere:LastExec:DstFolder=/dst",
      "write Quillmere:LastExec:FileType=*.jra", "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"}},
    {"StoppedCopySaysHowManyFilesAndWhereAndStoresTheInputs",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.stopCopyAfter = 2;
         // A stopped run removes no old backup, whatever the limits: it is no whole backup itself.
         ops.settings["Quillmere:LastExec:KeepRuns"] = "1";
     },
     Join(kChecksPass,
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
           "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite",
           "prompt 48 [バックアップ] バックアップを中止しました。2 個のファイルをコピーしました。\n/dst/" + kStamp,
           "clock", "record /dst/" + kStamp + " stopped", "identity /dst", "write Quillmere:LastExec:SrcFolder=/src",
           "write Quillmere:LastExec:DstFolder=/dst", "write Quillmere:LastExec:FileType=*.jra",
           "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    // What stays of an old backup is marked in its record, and the user told after the copy.
    {"OldBackupThatStaysIsShownAndMarked",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.settings["Quillmere:LastExec:KeepDays"] = "1";
         ops.folders[Native("/dst")] = {"20010101_000000", kStamp};
         ops.records[Native("/dst/20010101_000000")] = {"[Run]\nOutcome=completed\n", false};
         ops.removalFailures["20010101_000000"] = Native("/dst/20010101_000000/a.jra: Operation not permitted");
     },
     Join(kChecksPass,
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
           "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite", "clock",
           "record /dst/" + kStamp + " completed", "read Quillmere:LastExec:KeepRuns",
           "read Quillmere:LastExec:KeepDays", "list /dst",
           "read record /dst/20010101_000000", "read record /dst/" + kStamp, "remove /dst 20010101_000000",
           "read record /dst/20010101_000000", "record /dst/20010101_000000 completed",
           "prompt 48 [バックアップ] バックアップは完了しましたが、古いバックアップを削除できませんでした。\n/dst/"
           "20010101_000000/a.jra: Operation not permitted",
           "identity /dst", "write Quillmere:LastExec:SrcFolder=/src", "write Quillmere:LastExec:DstFolder=/dst",
           "write Quillmere:LastExec:FileType=*.jra", "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    {"EmptyFileTypeIsReportedAfterTheFolders",
     {"/src", "/dst", ""},
     SourceAndDestinationExist,
     {"find /src 16", "find /dst 16", "find /dst/. 16", "prompt 48 [バックアップ] ファイル種別が指定されていません。",
      "focus FileType"}},
    {"NoMatchingFileStopsTheRun",
     {"/src", "/dst", "*.jra"},
     SourceAndDestinationExist,
     Join(kChecksPass, {"prompt 48 [バックアップ] コピー元フォルダに該当ファイルが存在しません。", "focus FileType"})},
    {"FailingFileSearchIsShownAsItsReasonNotAsNoMatch",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         SourceAndDestinationExist(ops);
         ops.failures["find /src/*.jra 0"] = "/src: Permission denied";
     },
     Join(kChecksPass, {"prompt 0 [-] /src: Permission denied", "focus FileType"})},
    {"FailingSourceSearchIsShownThenTheSourceCountsAsMissing",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) { ops.failures["find /src 16"] = "/src: Input/output error"; },
     {"find /src 16", "prompt 0 [-] /src: Input/output error",
      "prompt 48 [バックアップ] コピー元フォルダが存在しません。", "focus SourceFolder"}},
    // A NUL would cut the path short at the system; no search is made with it, nothing stored.
    {"NulInTheSourceIsRefused",
     {"/src" + kNul + "x", "/dst", "*.jra"},
     EverythingThere,
     {"prompt 48 [バックアップ] コピー元フォルダに使えない文字 (NUL) が含まれています。", "focus SourceFolder"}},
    {"NulInTheDestinationIsRefused",
     {"/src", "/dst" + kNul + "/x", "*.jra"},
     EverythingThere,
     {"prompt 48 [バックアップ] コピー先フォルダに使えない文字 (NUL) が含まれています。", "focus DestinationFolder"}},
    {"NulInTheFileTypeIsRefusedBeforeTheDestinationCouldBeCreated",
     {"/src", "/dst", "*.jra" + kNul + "x"},
     DestinationMissing,
     {"prompt 48 [バックアップ] ファイル種別に使えない文字 (NUL) が含まれています。", "focus FileType"}},
    // A file type is one name of the source folder: no separator (no search outside the source, no
    // empty stamp folder), and no longer than a name may be: 255 characters here, but 256 UTF-16
    // units, the last character taking two.
    {"SeparatorInTheFileTypeIsRefusedBeforeTheDestinationCouldBeCreated",
     {"/src", "/dst", "../*.jra"},
     DestinationMissing,
     {"prompt 48 [バックアップ] ファイル種別にフォルダの区切り文字は使えません。コピー元フォルダの中のファイル名の形 "
      "(*.jra "
      "など) で指定してください。",
      "focus FileType"}},
    {"FileTypeLongerThanANameIsRefused",
     {"/src", "/dst", "*" + std::string(253, 'a') + "\xF0\x9F\x90\x8E"},
     DestinationMissing,
     {"prompt 48 [バックアップ] ファイル種別が長すぎます。ファイル名の長さの上限 (255 文字) までで指定してください。",
      "focus FileType"}},
    {"DestinationThatIsAFileIsRefusedOnceBeforeAnythingIsCreated",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         DestinationMissing(ops);
         ops.Find("/dst", EntryAttributes::Directory, "dst");
     },
     {"find /src 16", "find /dst 16", "find /dst/. 16",
      "prompt 48 [バックアップ] コピー先フォルダがフォルダではありません。\n/dst", "focus DestinationFolder"}},
    {"DestinationTheSearchCannotLookAtIsNotOfferedForCreation",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         DestinationMissing(ops);
         ops.failures["find /dst 16"] = "/dst: File name too long";
     },
     {"find /src 16", "find /dst 16",
      "prompt 48 [バックアップ] コピー先フォルダを確かめられません。\n/dst: File name too long",
      "focus DestinationFolder"}},
    {"CompleteRunShowsNoMessage", {"/src", "/dst", "*.jra"}, EverythingThere, Join(kChecksPass, RunAfterChecks())},
    {"SpacesAroundInputsAreIgnoredEverywhere",
     {"  /src ", " /dst  ", "  *.jra  "},
     EverythingThere,
     Join(kChecksPass, RunAfterChecks())},
    // Looked up as without their separators, joined with one separator, stored as typed.
    {"FoldersWithTrailingSeparators",
     {"/src/", "/dst/", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.Find("/src/.", EntryAttributes::Directory, ".");
     },
     Join({"find /src 16", "find /src/. 16", "find /dst 16", "find /dst/. 16", "find /src/*.jra 0"},
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
           "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite", "clock", "record /dst/" + kStamp + " completed", "read Quillmere:LastExec:KeepRuns",
           "read Quillmere:LastExec:KeepDays",
           "identity /dst/", "write Quillmere:LastExec:SrcFolder=/src/", "write Quillmere:LastExec:DstFolder=/dst/",
           "write Quillmere:LastExec:FileType=*.jra", "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    {"FailedCopySaysHowManyFilesWereCopiedAndStillStoresTheInputs",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.copyReport = {1, 3, 100, 300, "ZO02.JRA"};
         ops.failures["copy /src/*.jra -> /dst/" + kStamp + " overwrite"] =
             "/dst/" + kStamp + "/ZO02.JRA: No space left on device";
     },
     Join(kChecksPass,
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
           "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite",
           "prompt 48 [ファイルのコピー] /dst/" + kStamp +
               "/ZO02.JRA: No space left on device\n1 "
               "個のファイルをコピーしました。残りのファイルはコピーしていません。",
           "clock", "record /dst/" + kStamp + " failed", "identity /dst", "write Quillmere:LastExec:SrcFolder=/src",
           "write Quillmere:LastExec:DstFolder=/dst", "write Quillmere:LastExec:FileType=*.jra",
           "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    {"StampFolderThatExistsIsReportedAndTheCopyGoesIntoIt",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.failures["mkdir /dst/" + kStamp] = "/dst/" + kStamp + ": File exists";
     },
     Join(kChecksPass,
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "prompt 48 [フォルダの作成] /dst/" + kStamp + ": File exists",
           "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite", "identity /dst",
           "write Quillmere:LastExec:SrcFolder=/src", "write Quillmere:LastExec:DstFolder=/dst",
           "write Quillmere:LastExec:FileType=*.jra", "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    {"SettingsFailureIsShownOnceAndThePointerIsReset",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.failures["write Quillmere:LastExec:SrcFolder=/src"] =
             "/home/u/.config/Quillmere/Quillmere.conf: Read-only file system";
     },
     Join(kChecksPass, {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
                        "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite", "clock",
                        "record /dst/" + kStamp + " completed", "read Quillmere:LastExec:KeepRuns",
           "read Quillmere:LastExec:KeepDays", "identity /dst", "write Quillmere:LastExec:SrcFolder=/src",
                        "prompt 0 [-] 入力内容を保存できませんでした。\n/home/u/.config/Quillmere/Quillmere.conf: "
                        "Read-only file system",
                        "pointer 0"})},
    // Stored as unknown, which the next unattended run accepts, not as the file system before.
    // Taken from the newest completed backup before this run's: not a failed one, nor one whose
    // stamp is later (a clock put back).
    {"SharingTakesUnchangedFilesFromTheNewestEarlierCompletedBackup",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.settings["Quillmere:LastExec:ShareUnchanged"] = "1";
         ops.folders[Native("/dst")] = {"20010605_210401", "20010605_210402", kStamp, "20010606_000000"};
         RunRecord record;
         record.outcome = RunOutcome::Completed;
         ops.records[Native("/dst/20010605_210401")] = ops.records[Native("/dst/20010606_000000")] = {record.Format(),
                                                                                                      false};
         record.outcome = RunOutcome::Failed;
         ops.records[Native("/dst/20010605_210402")] = {record.Format(), false};
     },
     Join(kChecksPass,
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
           "read Quillmere:LastExec:ShareUnchanged", "list /dst", "read record /dst/20010605_210401",
           "read record /dst/20010605_210402", "read record /dst/" + kStamp, "read record /dst/20010606_000000",
           "copy /src/*.jra -> /dst/" + kStamp + " overwrite sharing /dst/20010605_210401", "clock",
           "record /dst/" + kStamp + " completed", "read Quillmere:LastExec:KeepRuns",
           "read Quillmere:LastExec:KeepDays", "identity /dst", "write Quillmere:LastExec:SrcFolder=/src",
           "write Quillmere:LastExec:DstFolder=/dst", "write Quillmere:LastExec:FileType=*.jra",
           "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    {"FileSystemThatCannotBeNamedIsStoredAsUnknown",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.failures["identity /dst"] = "/dst: Permission denied";
     },
     Join(kChecksPass,
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
           "read Quillmere:LastExec:ShareUnchanged", "copy /src/*.jra -> /dst/" + kStamp + " overwrite", "clock", "record /dst/" + kStamp + " completed", "read Quillmere:LastExec:KeepRuns",
           "read Quillmere:LastExec:KeepDays",
           "identity /dst", "write Quillmere:LastExec:SrcFolder=/src", "write Quillmere:LastExec:DstFolder=/dst",
           "write Quillmere:LastExec:FileType=*.jra", "write Quillmere:LastExec:DstVolume=", "pointer 0"})},
    // A folder nobody could tell from a whole backup later gets no copies.
    {"RecordThatCannotBeWrittenFailsTheRunBeforeTheCopy",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.failures["record /dst/" + kStamp + " running"] = "/dst/" + kStamp + "/.quillmere: Read-only file system";
     },
     Join(kChecksPass,
          {"pointer 11", "clock", "mkdir /dst/" + kStamp, "record /dst/" + kStamp + " running",
           "prompt 0 [-] 実行の記録を書き込めませんでした。\n/dst/" + kStamp + "/.quillmere: Read-only file system",
           "identity /dst", "write Quillmere:LastExec:SrcFolder=/src", "write Quillmere:LastExec:DstFolder=/dst",
           "write Quillmere:LastExec:FileType=*.jra", "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    {"ClockOutsideTheCalendarCreatesAndCopiesNothing",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.now.second = 60;
     },
     Join(kChecksPass,
          {"pointer 11", "clock",
           "prompt 48 [バックアップ] 現在の日時からフォルダ名を作れません。時計の設定を確かめてください。",
           "identity /dst", "write Quillmere:LastExec:SrcFolder=/src", "write Quillmere:LastExec:DstFolder=/dst",
           "write Quillmere:LastExec:FileType=*.jra", "write Quillmere:LastExec:DstVolume=UUID=0123", "pointer 0"})},
    {"FailingClockEndsTheRunWithThePointerReset",
     {"/src", "/dst", "*.jra"},
     [](FakePlatform& ops) {
         EverythingThere(ops);
         ops.failures["clock"] = "clock unavailable";
     },
     Join(kChecksPass, {"pointer 11", "clock", "pointer 0", "prompt 0 [-] clock unavailable"})},
};

class BackupRunTest : public testing::TestWithParam<RunCase> {};

TEST_P(BackupRunTest, CallsInOrder) {
    // The table is written with "/"; on a system whose separator is "\\" every path turns native.
    const RunCase& c = GetParam();
    Log log;
    FakePlatform ops(log);
    FakeWindow window(log);
    for (int i = 0; i < 3; ++i) window.inputs[i] = Native(c.inputs[i]);
    if (c.setUp) c.setUp(ops);
    ops.found = Native(ops.found);
    ops.failures = Native(ops.failures);
    Log expected;
    for (const std::string& line : c.expected) expected.push_back(Native(line));

    const BackupResult result = BackupRun(ops, window).Run();

    EXPECT_EQ(log, expected);
    EXPECT_TRUE(ops.prompts.answers.empty()) << "a scripted answer was not asked for";
    // The caller's word on the stored inputs agrees with the store: all three keys written.
    const bool stored = std::any_of(log.begin(), log.end(), [](const std::string& call) {
        return call.starts_with("write Quillmere:LastExec:FileType=");
    });
    EXPECT_EQ(result.inputsStored, stored);
    EXPECT_EQ(result.oldRunsRemoved, std::none_of(log.begin(), log.end(), [](const std::string& call) {
                  return call.find("古いバックアップを削除できませんでした") != std::string::npos;
              }));
}

INSTANTIATE_TEST_SUITE_P(Runs, BackupRunTest, testing::ValuesIn(kRunCases),
                         [](const testing::TestParamInfo<RunCase>& info) { return info.param.name; });

// The record of a failed copy says what failed and how far the copy got; one that cannot be
// written at the end turns a whole copy into a failed run.
TEST(BackupRun, RecordsTheOutcomeCountsAndInputs) {
    for (const bool copyFails : {true, false}) {
        Log log;
        FakePlatform ops(log);
        FakeWindow window(log);
        EverythingThere(ops);
        ops.found = Native(ops.found);
        window.inputs = {Native("/src"), Native("/dst"), "*.jra"};
        ops.copyReport = {1, 3, 100, 300, "ZO02.JRA"};
        const std::string stampFolder = Native("/dst/" + kStamp);
        const std::string failure = stampFolder + Native("/ZO02.JRA: No space left on device");
        if (copyFails) {
            ops.failures[Native("copy /src/*.jra -> /dst/" + kStamp + " overwrite")] = failure;
        } else {
            ops.failures["record " + stampFolder + " completed"] = stampFolder + ": Input/output error";
        }

        const BackupResult result = BackupRun(ops, window).Run();

        EXPECT_EQ(result.outcome, BackupOutcome::Failed);
        const std::optional<RunRecord> record = RunRecord::Parse(ops.records[stampFolder].text);
        ASSERT_TRUE(record);
        EXPECT_EQ(ops.records[stampFolder].live, !copyFails);  // the last write that went through
        EXPECT_EQ(record->outcome, copyFails ? RunOutcome::Failed : RunOutcome::Running);
        EXPECT_EQ(record->failure, copyFails ? failure : "");
        EXPECT_EQ(record->started, "2001-06-05 21:04:03");
        EXPECT_EQ(record->ended, copyFails ? "2001-06-05 21:04:03" : "");
        EXPECT_EQ(record->files, copyFails ? 1U : 0U);
        EXPECT_EQ(record->bytes, copyFails ? 100U : 0U);
        EXPECT_EQ(record->source + "|" + record->destination + "|" + record->fileType,
                  Native("/src") + "|" + Native("/dst") + "|*.jra");
        EXPECT_FALSE(record->version.empty());
    }
}

TEST(BackupRun, StoredInputsAreTheTrimmedTexts) {
    Log log;
    FakePlatform ops(log);
    FakeWindow window(log);
    EverythingThere(ops);
    ops.found = Native(ops.found);
    window.inputs = {Native(" /src "), Native("/dst   "), " *.jra"};

    BackupRun(ops, window).Run();

    EXPECT_EQ(ops.settings["Quillmere:LastExec:SrcFolder"], Native("/src"));
    EXPECT_EQ(ops.settings["Quillmere:LastExec:DstFolder"], Native("/dst"));
    EXPECT_EQ(ops.settings["Quillmere:LastExec:FileType"], "*.jra");
}

TEST(BackupRun, OnlyAsciiSpacesAreTrimmed) {
    Log log;
    FakePlatform ops(log);
    FakeWindow window(log);
    // An ideographic space and a tab may belong to a real folder name; they are kept.
    const std::string source = "\t/src\xE3\x80\x80";
    ops.Find(source, EntryAttributes::Directory, "src");
    ops.Find(Native("/dst"), EntryAttributes::Directory, "dst");
    ops.Find(Native("/dst/."), EntryAttributes::Directory, ".");
    ops.Find(source + Native("/*.jra"), EntryAttributes::Normal, "a.jra");
    window.inputs = {" " + source + " ", Native("/dst"), "*.jra"};

    BackupRun(ops, window).Run();

    EXPECT_EQ(ops.settings["Quillmere:LastExec:SrcFolder"], source);
}

TEST(BackupRun, RunStoppedByACheckStoresNothing) {
    Log log;
    FakePlatform ops(log);
    FakeWindow window(log);
    SourceAndDestinationExist(ops);
    window.inputs = {"/src", "/dst", "*.jra"};

    BackupRun(ops, window).Run();

    EXPECT_TRUE(ops.settings.empty());
}

}  // namespace
}  // namespace quillmere::test
